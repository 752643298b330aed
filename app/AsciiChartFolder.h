#pragma once
// Where the ASCII chart file lives: beside the executable, as the program
// has always kept it, unless the program is installed or cannot write there;
// then in the user's own data folder.

#include <QString>

// The folder for the chart, given the executable's folder and the user's.
[[nodiscard]] QString ChooseAsciiChartFolder(const QString& programFolder, const QString& userFolder);
// The user's own folder for it: "Corvane Systems/BYTELON" in the data home
// (XDG_DATA_HOME, by default ~/.local/share).
[[nodiscard]] QString UserAsciiChartFolder();
