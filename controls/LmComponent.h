// The graphic control that the Lm controls derive from; adds nothing at run time.
#pragma once

#include "LmExControls.h"

class TLmGraphicControl : public TLmExGraphicControl {
public:
    explicit TLmGraphicControl(TComponent* owner) : TLmExGraphicControl(owner) {}
};
