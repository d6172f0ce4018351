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
  std::vector<int> progress;          // percentages the loaders, savers and transfers report, in order
  BOOL saveResult = 1;                // the answer of savers, dialogs and transfers
  std::string dialogName;             // what the dialogs write into the name buffer
  WORD dialogType = 0;                // what the save dialog writes into the type index
  // What the calls received.
  std::vector<std::string> calls;     // entry names in call order
  std::string name;
  LONG page = -1, vectorWidth = -1, vectorHeight = -1;
  bool callbackGiven = false;
  std::string caption, message, button;
  std::vector<LONG> numbers;          // the numeric arguments of the last saver, dialog or transfer
  std::vector<int> callbackAnswers;   // what the callback answered to each report of the last call
  std::string comment;                // a saver's comment; a dialog's or transfer's texts joined by "|"
  const void* owner = nullptr;        // the owner window a dialog received
};

using FakeEngineState_t = FakeEngineState* (*)();
