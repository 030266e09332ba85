#pragma once

// The behaviours every screen shares, each written once; screens opt in by name.
// Each is reached the same way, `Name::install(control, ...)`; the ones that keep
// state while they act (event filters) are classes whose install() returns them.
#include "kit/behaviours/activationwatch.h"
#include "kit/behaviours/amountpreview.h"
#include "kit/behaviours/centreonscreen.h"
#include "kit/behaviours/digitsonlyedit.h"
#include "kit/behaviours/dragbybackground.h"
#include "kit/behaviours/entertonextfield.h"
#include "kit/behaviours/ownerpaneltoggle.h"
#include "kit/behaviours/pressbutton.h"
#include "kit/behaviours/printbutton.h"
#include "kit/behaviours/recordbehaviours.h"
#include "kit/screen.h"
#include "kit/behaviours/windowbuttons.h"
