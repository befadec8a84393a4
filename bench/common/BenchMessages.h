#pragma once

#include <QtGlobal>

// The program's debug lines would swamp the figures. Shows, on standard
// error, only messages at least as severe as the given type (debug, info,
// warning, critical, fatal, in that order).
void showMessagesFrom(QtMsgType lowest);
// Shows no message at all.
void hideAllMessages();

// Benchmarks that make windows draw offscreen unless a platform was chosen;
// call before the application object is made.
void preferOffscreenPlatform();
