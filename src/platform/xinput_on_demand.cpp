// SPDX-License-Identifier: GPL-3.0-or-later
// The X input extension's client library on first use. The X server's
// pointer settings (pointer_settings_x11.cpp) are its only user, and most
// runs never read or set them: linking libxcb-xinput would load and relocate
// it at every start. Instead the program defines the few functions it calls,
// and each opens the library when it is first called and passes the call on.
// Without the library every call answers as a server without the extension
// would: no version reply, so connectXInput() finds no X input devices.
#include <dlfcn.h>
#include <xcb/xinput.h>

namespace {

void* xinputSymbol(const char* name) {
  static void* const xinput = dlopen("libxcb-xinput.so.0", RTLD_NOW | RTLD_LOCAL);
  return xinput != nullptr ? dlsym(xinput, name) : nullptr;
}

template <typename Fn>
Fn xinputFunction(const char* name) {
  return reinterpret_cast<Fn>(xinputSymbol(name));
}

}  // namespace

// NAME(PARAMS) answering ret{} (a null reply, a zero cookie or iterator)
// while the library cannot be loaded. The return type and the parameter
// list are spliced in as written.
// NOLINTBEGIN(bugprone-macro-parentheses)
#define HM_XI_CALL(ret, name, params, args)                        \
  extern "C" ret name params {                                     \
    static const auto real = xinputFunction<ret(*) params>(#name); \
    return real != nullptr ? real args : ret{};                    \
  }
// NOLINTEND(bugprone-macro-parentheses)

using QueryVersionReply = xcb_input_xi_query_version_reply_t*;
using QueryDeviceReply = xcb_input_xi_query_device_reply_t*;
using ListPropertiesReply = xcb_input_xi_list_properties_reply_t*;
using GetPropertyReply = xcb_input_xi_get_property_reply_t*;
using Chars = char*;
using Atoms = xcb_atom_t*;
using Items = void*;

HM_XI_CALL(xcb_input_xi_query_version_cookie_t, xcb_input_xi_query_version,
           (xcb_connection_t * c, uint16_t major, uint16_t minor), (c, major, minor))
HM_XI_CALL(QueryVersionReply, xcb_input_xi_query_version_reply,
           (xcb_connection_t * c, xcb_input_xi_query_version_cookie_t cookie, xcb_generic_error_t** e),
           (c, cookie, e))
HM_XI_CALL(xcb_input_xi_query_device_cookie_t, xcb_input_xi_query_device,
           (xcb_connection_t * c, xcb_input_device_id_t device), (c, device))
HM_XI_CALL(QueryDeviceReply, xcb_input_xi_query_device_reply,
           (xcb_connection_t * c, xcb_input_xi_query_device_cookie_t cookie, xcb_generic_error_t** e),
           (c, cookie, e))
HM_XI_CALL(xcb_input_xi_device_info_iterator_t, xcb_input_xi_query_device_infos_iterator,
           (const xcb_input_xi_query_device_reply_t* r), (r))
HM_XI_CALL(Chars, xcb_input_xi_device_info_name, (const xcb_input_xi_device_info_t* r), (r))
HM_XI_CALL(int, xcb_input_xi_device_info_name_length, (const xcb_input_xi_device_info_t* r), (r))
HM_XI_CALL(xcb_input_xi_list_properties_cookie_t, xcb_input_xi_list_properties,
           (xcb_connection_t * c, xcb_input_device_id_t device), (c, device))
HM_XI_CALL(ListPropertiesReply, xcb_input_xi_list_properties_reply,
           (xcb_connection_t * c, xcb_input_xi_list_properties_cookie_t cookie, xcb_generic_error_t** e),
           (c, cookie, e))
HM_XI_CALL(Atoms, xcb_input_xi_list_properties_properties, (const xcb_input_xi_list_properties_reply_t* r),
           (r))
HM_XI_CALL(int, xcb_input_xi_list_properties_properties_length,
           (const xcb_input_xi_list_properties_reply_t* r), (r))
HM_XI_CALL(xcb_input_xi_get_property_cookie_t, xcb_input_xi_get_property,
           (xcb_connection_t * c, xcb_input_device_id_t device, uint8_t del, xcb_atom_t property,
            xcb_atom_t type, uint32_t offset, uint32_t len),
           (c, device, del, property, type, offset, len))
HM_XI_CALL(GetPropertyReply, xcb_input_xi_get_property_reply,
           (xcb_connection_t * c, xcb_input_xi_get_property_cookie_t cookie, xcb_generic_error_t** e),
           (c, cookie, e))
HM_XI_CALL(Items, xcb_input_xi_get_property_items, (const xcb_input_xi_get_property_reply_t* r), (r))
HM_XI_CALL(xcb_void_cookie_t, xcb_input_xi_change_property_checked,
           (xcb_connection_t * c, xcb_input_device_id_t device, uint8_t mode, uint8_t format,
            xcb_atom_t property, xcb_atom_t type, uint32_t count, const void* items),
           (c, device, mode, format, property, type, count, items))

extern "C" void xcb_input_xi_device_info_next(xcb_input_xi_device_info_iterator_t* i) {
  static const auto real =
      xinputFunction<void (*)(xcb_input_xi_device_info_iterator_t*)>("xcb_input_xi_device_info_next");
  if (real != nullptr)
    real(i);
  else
    i->rem = 0;
}
