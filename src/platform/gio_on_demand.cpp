// SPDX-License-Identifier: GPL-3.0-or-later
// GIO on first use. The desktop's pointer settings (GSettings, KWin's D-Bus)
// are the platform's only users of libgio and libgobject, and most runs never
// touch them: linking the libraries would load and relocate them at every
// start. Instead the program defines the few functions it calls, and each
// opens libgio (which brings libgobject) when it is first called and passes
// the call on. Without libgio every call fails as GIO reports "nothing
// there": no schema source, no bus, no settings object.
//
// GLib itself (g_free, GVariant) is linked as usual: the toolkit loads it
// at start anyway.
#include <dlfcn.h>
#include <gio/gio.h>

namespace {

void* gioSymbol(const char* name) {
  static void* const gio = dlopen("libgio-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
  return gio != nullptr ? dlsym(gio, name) : nullptr;
}

template <typename Fn>
Fn gioFunction(const char* name) {
  return reinterpret_cast<Fn>(gioSymbol(name));
}

}  // namespace

// NAME(PARAMS) returning FAIL while libgio cannot be loaded. The return type
// and the parameter list are spliced in as written (a type and a
// declarator list cannot be parenthesised).
// NOLINTBEGIN(bugprone-macro-parentheses)
#define HM_GIO_CALL(ret, name, fail, params, args)              \
  extern "C" ret name params {                                  \
    static const auto real = gioFunction<ret(*) params>(#name); \
    return real != nullptr ? real args : fail;                  \
  }
#define HM_GIO_VOID(name, params, args)                          \
  extern "C" void name params {                                  \
    static const auto real = gioFunction<void(*) params>(#name); \
    if (real != nullptr) real args;                              \
  }

// NOLINTEND(bugprone-macro-parentheses)

// libgobject
HM_GIO_VOID(g_object_unref, (gpointer object), (object))
HM_GIO_CALL(const gchar*, g_type_name, nullptr, (GType type), (type))

// GSettings
HM_GIO_CALL(GSettingsSchemaSource*, g_settings_schema_source_get_default, nullptr, (void), ())
HM_GIO_CALL(GSettingsSchema*, g_settings_schema_source_lookup, nullptr,
            (GSettingsSchemaSource * source, const gchar* schema_id, gboolean recursive),
            (source, schema_id, recursive))
HM_GIO_VOID(g_settings_schema_unref, (GSettingsSchema * schema), (schema))
HM_GIO_CALL(gboolean, g_settings_schema_has_key, FALSE, (GSettingsSchema * schema, const gchar* name),
            (schema, name))
HM_GIO_CALL(GSettingsBackend*, g_settings_backend_get_default, nullptr, (void), ())
HM_GIO_CALL(GSettingsBackend*, g_null_settings_backend_new, nullptr, (void), ())
HM_GIO_CALL(GSettings*, g_settings_new_full, nullptr,
            (GSettingsSchema * schema, GSettingsBackend* backend, const gchar* path), (schema, backend, path))
HM_GIO_VOID(g_settings_sync, (void), ())
HM_GIO_CALL(gchar*, g_settings_get_string, nullptr, (GSettings * settings, const gchar* key), (settings, key))
HM_GIO_CALL(gdouble, g_settings_get_double, 0.0, (GSettings * settings, const gchar* key), (settings, key))
HM_GIO_CALL(gint, g_settings_get_int, 0, (GSettings * settings, const gchar* key), (settings, key))
HM_GIO_CALL(gboolean, g_settings_set_string, FALSE,
            (GSettings * settings, const gchar* key, const gchar* value), (settings, key, value))
HM_GIO_CALL(gboolean, g_settings_set_double, FALSE, (GSettings * settings, const gchar* key, gdouble value),
            (settings, key, value))
HM_GIO_CALL(gboolean, g_settings_set_int, FALSE, (GSettings * settings, const gchar* key, gint value),
            (settings, key, value))

// GDBus
HM_GIO_CALL(GDBusConnection*, g_bus_get_sync, nullptr,
            (GBusType bus_type, GCancellable* cancellable, GError** error), (bus_type, cancellable, error))
HM_GIO_CALL(GVariant*, g_dbus_connection_call_sync, nullptr,
            (GDBusConnection * connection, const gchar* bus_name, const gchar* object_path,
             const gchar* interface_name, const gchar* method_name, GVariant* parameters,
             const GVariantType* reply_type, GDBusCallFlags flags, gint timeout_msec,
             GCancellable* cancellable, GError** error),
            (connection, bus_name, object_path, interface_name, method_name, parameters, reply_type, flags,
             timeout_msec, cancellable, error))
HM_GIO_CALL(gboolean, g_dbus_connection_emit_signal, FALSE,
            (GDBusConnection * connection, const gchar* destination_bus_name, const gchar* object_path,
             const gchar* interface_name, const gchar* signal_name, GVariant* parameters, GError** error),
            (connection, destination_bus_name, object_path, interface_name, signal_name, parameters, error))
HM_GIO_CALL(gboolean, g_dbus_connection_flush_sync, FALSE,
            (GDBusConnection * connection, GCancellable* cancellable, GError** error),
            (connection, cancellable, error))
