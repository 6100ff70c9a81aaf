#pragma once
// The X server of DISPLAY, opened once for the process: the check before Qt starts and the status
// bar's keyboard lights share one connection instead of each opening its own while the window waits.
struct _XDisplay;

// Null when DISPLAY is unset or its server does not answer; closed when the process ends.
_XDisplay* SessionDisplay();
