#pragma once

// The application's title and the main window's caption.
inline constexpr const char* kApplicationTitle = "めるぽん V3.54";
inline constexpr const char* kMainCaption = "Quor - GPS時刻サーバ V3.54";
