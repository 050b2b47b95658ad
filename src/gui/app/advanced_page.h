// The Advanced page: its background and the frame. The pointer settings and
// the macro editor are added to this class's painter, click handler and
// hover list.
#pragma once

#include "gui/app/page.h"

namespace hm {

class AdvancedPage : public Page {
 public:
  explicit AdvancedPage(AppContext& ctx) : Page(ctx) {}
  PageId id() const override { return kAdvancedPage; }
  // Background "/AdvancedSet2.png", then the frame.
  void paint(CMemDC& dc) override;
  bool handleClick(QPoint) override { return false; }
};

}  // namespace hm
