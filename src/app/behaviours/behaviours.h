#pragma once

// The behaviours every screen shares, each written once; screens opt in by name.
#include "app/behaviours/activationwatch.h"
#include "app/behaviours/amountpreview.h"
#include "app/behaviours/centreonscreen.h"
#include "app/behaviours/digitsonlyedit.h"
#include "app/behaviours/dragbybackground.h"
#include "app/behaviours/entertonextfield.h"
#include "app/behaviours/ownerpaneltoggle.h"
#include "app/behaviours/pressbutton.h"
#include "app/behaviours/printbutton.h"
#include "app/behaviours/recordbehaviours.h"
#include "app/behaviours/screen.h"
#include "app/behaviours/windowbuttons.h"
