// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/app/hid_mouse_app.h"
#include "gui/skin/skin_library.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

int main(int argc, char** argv) {
#ifdef __GLIBC__
  // Buffers of a large skin image's size and up (a page's background read
  // back from the image cache, the canvas, the start picture) are mapped on
  // their own and go back to the system when freed. By default glibc raises
  // that size to the largest buffer freed so far, and a background released
  // after its page is painted would then stay in the heap.
  mallopt(M_MMAP_THRESHOLD, static_cast<int>(hm::kLargeImageBytes));
#endif
  return hm::CHidMouseApp::run(argc, argv);
}
