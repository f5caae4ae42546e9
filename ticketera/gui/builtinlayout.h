#pragma once

// The layout the main form's report starts with, built in from the 7 cm ticket template.
extern const char kBuiltinLayout[];
