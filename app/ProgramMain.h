#pragma once
// The program from its command line to its end, as main runs it: options
// answered without a display, the toolkit and the application object made,
// start-up, the message loop, and an end by a signal reported as that signal.

#include <functional>

class CBytelonApp;

// prepare, when given, runs on the application object before start-up.
int BytelonMain(int argc, char* argv[], const std::function<void(CBytelonApp&)>& prepare = {});
