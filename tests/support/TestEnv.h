#pragma once
// Helpers shared by the GUI tests: generated media clips, files and waiting on the event loop.

#include <QString>
#include <QStringList>
#include <functional>

namespace testenv {

// Folder (in the build tree) where generated clips are cached between test runs.
QString DataDir();

// Generates DataDir()/name with the ffmpeg command line (arguments before the output name) unless
// it already exists. Returns the absolute path, or an empty string when ffmpeg failed.
QString MakeClip(const QString& name, const QStringList& ffmpegArgs);

// Common clips: 4 s 320x240 test pattern with a 440 Hz tone, and 3 s of tone without video.
QString VideoClip();
QString AudioClip();
// A silent clip of a flat mid-grey picture (0x808080) of the given size ("640x480") and length,
// with more drawn on it when ffmpeg video filters are given.
QString GreyClip(const QString& size, int seconds, const QString& filters = {});

// Writes bytes to path, making its folder; returns path, or an empty string on failure.
QString WriteFile(const QString& path, const QByteArray& bytes);

// Runs the event loop until pred() holds or timeoutMs pass, asking every pollMs; returns pred().
bool WaitUntil(const std::function<bool()>& pred, int timeoutMs = 5000, int pollMs = 1);

// Runs the event loop for ms milliseconds.
void Spin(int ms);

}  // namespace testenv
