#pragma once
// The scripted dialogs shared by every test suite.

#include "support/ScriptedDialogs.h"
