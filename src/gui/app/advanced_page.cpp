#include "gui/app/advanced_page.h"

#include "gui/skin/draw_skin_image.h"
#include "gui/skin/mem_dc.h"
#include "gui/skin/skin_images.h"
#include "gui/skin/skin_text.h"

namespace hm {

void AdvancedPage::paint(CMemDC& dc) {
  drawSkinImage(dc.canvas(), ctx_.skins, QString::fromLatin1(skin::kAdvancedBackground), 0, 0);
  ctx_.frame.drawFrame(dc);
}

}  // namespace hm
