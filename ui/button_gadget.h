// TEButtonGadget: a tool-bar button of the clip-collection frame whose
// pictures come straight from its glyph bitmap, as drawn.
#pragma once

#include "platform/classlib/gadgets.h"

class TEButtonGadget : public TButtonGadget {
 public:
  using TButtonGadget::TButtonGadget;

  // The cel array again from the glyph; nothing without one.
  void BuildCelArray() override;
};
