#pragma once

#include <QGuiApplication>
#include <memory>

namespace pelorin::graph {

// The GUI application a command of pelorin-cli needs for text (fonts), on the
// offscreen platform whatever platform the environment names: one without its
// display would abort the program. Qt is given no arguments, so that it cannot
// take any of ours, and its notes about the environment (no runtime folder, no
// display) stay off standard error, where scripts read the command's own
// messages.
std::unique_ptr<QGuiApplication> StartHeadlessGui();

}  // namespace pelorin::graph
