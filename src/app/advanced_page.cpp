#include "app/advanced_page.h"

#include "skin/draw_skin_image.h"
#include "skin/mem_dc.h"
#include "skin/skin_images.h"
#include "skin/skin_text.h"

namespace hm {

void AdvancedPage::paint(CMemDC& dc) {
  drawSkinImage(dc.canvas(), ctx_.skins, QString::fromLatin1(skin::kAdvancedBackground), 0, 0);
  ctx_.frame.drawFrame(dc);
}

}  // namespace hm
