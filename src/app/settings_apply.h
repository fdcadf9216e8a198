#pragma once

class App;
class SettingsDialog;

// The settings dialog closed with "設定": its values become the running
// settings. Switching logging on opens a new log file at once; the new time
// zone takes effect for the program's own local time and the time label.
void ButtonParmSetApply(App& app, const SettingsDialog& dialog);
