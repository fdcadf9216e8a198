#pragma once

// Runs Quor without a window on the current QCoreApplication until SIGTERM
// or SIGINT; returns the exit status.
int RunHeadless();
