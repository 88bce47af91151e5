#pragma once

#include <functional>
#include <string>
#include <vector>

#include "settings/SaverSettings.h"

// The number of times BuildInstaller calls its progressStep without "缩小大图片"; see BuildSteps.
inline constexpr int BuildInstallerSteps = 11;

// Writes the installer file for a screensaver in BuildSteps steps, calling progressStep after
// each: eleven, and with "缩小大图片" one more for each picture re-encoded or looked at, on
// worker threads while the pictures are packed.
// titleBytes holds code-page bytes; programDir, where the stubs lie, ends with "/". The output
// folder is created first when missing, even when targetPath lies elsewhere. A failure throws
// with the user-facing message and leaves an existing target file as it was.
void BuildInstaller(const std::string& targetPath,
                    const std::string& titleBytes,
                    const std::string& programDir,
                    const TSaverSettings& settings,
                    const std::vector<std::string>& pictureFiles,
                    const std::string& soundFile,
                    const std::string& outputDir,
                    const std::function<void()>& progressStep);

// How many times BuildInstaller calls its progress step for this record and that many pictures.
int BuildSteps(const TSaverSettings& settings, int pictureCount);
