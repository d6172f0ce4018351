#include "widgets/SpeedButton.h"

#include <QCoreApplication>

void BroadcastButtonPressed(QWidget* parent, int groupIndex, QWidget* sender) {
  if (!parent) return;
  for (QWidget* control : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    TButtonPressedEvent message(groupIndex, sender);
    QCoreApplication::sendEvent(control, &message);
  }
}

TSpeedButton::TSpeedButton(QWidget* parent) : QToolButton(parent) {}

void TSpeedButton::SetGroupIndex(int value) {
  FGroupIndex = value;
  if (value == 0) FDown = false;  // only a grouped button stays down
  setChecked(FDown);
  setCheckable(value != 0);
}

void TSpeedButton::SetDown(bool value) {
  if (FGroupIndex == 0) value = false;
  if (value == FDown || (FDown && !FAllowAllUp)) {
    setChecked(FDown);
    return;
  }
  FDown = value;
  setChecked(FDown);
  if (FDown) BroadcastButtonPressed(parentWidget(), FGroupIndex, this);
}

void TSpeedButton::nextCheckState() { SetDown(!FDown); }

bool TSpeedButton::event(QEvent* event) {
  if (event->type() != static_cast<QEvent::Type>(CM_BUTTONPRESSED)) return QToolButton::event(event);
  const auto* message = static_cast<TButtonPressedEvent*>(event);
  if (message->GroupIndex == FGroupIndex && message->Sender != this) {
    if (const auto* sender = qobject_cast<const TSpeedButton*>(message->Sender)) {
      if (sender->Down() && FDown) {
        FDown = false;
        setChecked(false);
      }
      FAllowAllUp = sender->AllowAllUp();
    }
  }
  return true;
}
