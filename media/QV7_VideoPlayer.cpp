// Intro-movie player without a decoder.
#include "media/QV7_VideoPlayer.h"

QV7_VideoPlayer::QV7_VideoPlayer() = default;
QV7_VideoPlayer::~QV7_VideoPlayer() = default;

void QV7_VideoPlayer::Start() { m_Ended = true; }

void QV7_VideoPlayer::RenderFrame() {}

QV7_VideoPlayer* CreateVideoPlayer() { return new QV7_VideoPlayer(); }
