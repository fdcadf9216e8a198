#pragma once
#include "platform/message_boxes.h"
#include "platform/settings_store.h"
#include "settings/settings.h"

// Reads the stored settings over `s`. A value that is missing, of the wrong
// type or outside its range keeps the value `s` already holds (its default);
// a server text longer than the field's room is cut. A receiver kind with a
// fixed line then sets its second correction and line over what was read.
void LoadSettings(SettingsStore& store, Settings& s);

// Writes all eighteen values and tells the user the outcome; false when
// they could not be written.
bool StoreSettings(SettingsStore& store, const Settings& s, MessageBoxes& boxes);

// Removes the stored settings ("ｼｽﾃﾑから削除") and tells the user the outcome.
void DeleteStoredSettings(SettingsStore& store, MessageBoxes& boxes);
