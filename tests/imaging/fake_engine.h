// A scripted stand-in for the engine libraries, built as Zq7Com.so and Zq7File.so in a
// folder of their own, so that the components' calls can be checked argument by
// argument and the progress protocol driven step by step.
#pragma once

#include <string>
#include <vector>

#include "zq7/Zq7Api.h"

struct FakeEngineState {
  // What the next calls answer.
  WORD status = 0;
  BOOL typeResult = 1;
  ZqFileInfo info{};
  HGLOBAL loadResult = 0;
  std::vector<int> progress;          // percentages the loader reports, in order
  BOOL saveResult = 1;
  // What the calls received.
  std::vector<std::string> calls;     // entry names in call order
  std::string name;
  LONG page = -1, vectorWidth = -1, vectorHeight = -1;
  bool callbackGiven = false;
  std::string caption, message, button;
  std::vector<LONG> numbers;          // the numeric arguments of the last saver call
  std::vector<int> callbackAnswers;   // what the callback answered to each report
  std::string comment;
};

using FakeEngineState_t = FakeEngineState* (*)();
