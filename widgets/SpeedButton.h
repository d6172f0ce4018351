// TSpeedButton: the window framework's speed button (a tool button that may belong to a
// group of mutually exclusive buttons), and the framework's button-pressed notification
// through which a button that goes down releases the other buttons of its group, of
// whatever kind they are.
#pragma once

#include <QEvent>
#include <QToolButton>

#include "platform/wintypes.h"

// The message number of the button-pressed notification, used as its event type.
inline constexpr UINT CM_BUTTONPRESSED = 0xB018;

// A button of GroupIndex went down; Sender is that button.
class TButtonPressedEvent : public QEvent {
 public:
  TButtonPressedEvent(int groupIndex, QWidget* sender)
      : QEvent(static_cast<QEvent::Type>(CM_BUTTONPRESSED)), GroupIndex(groupIndex), Sender(sender) {}
  const int GroupIndex;
  QWidget* const Sender;
};

// Sends the notification to every control of parent (nothing without a parent).
void BroadcastButtonPressed(QWidget* parent, int groupIndex, QWidget* sender);

class TSpeedButton : public QToolButton {
  Q_OBJECT
 public:
  explicit TSpeedButton(QWidget* parent = nullptr);

  int GroupIndex() const { return FGroupIndex; }
  bool Down() const { return FDown; }
  bool AllowAllUp() const { return FAllowAllUp; }
  void SetGroupIndex(int value);
  // Only a grouped button stays down; a down button goes up again only with AllowAllUp.
  // Going down releases the others of the group.
  void SetDown(bool value);
  void SetAllowAllUp(bool value) { FAllowAllUp = value; }

 protected:
  bool event(QEvent* event) override;
  void nextCheckState() override;  // a click on a grouped button toggles Down

 private:
  int FGroupIndex = 0;
  bool FDown = false;
  bool FAllowAllUp = false;
};
