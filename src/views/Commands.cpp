#include "Commands.h"

#include <QAction>
#include <QToolButton>

void ShowInButton(QToolButton* Button, QAction* Command) {
  QObject::connect(Button, &QToolButton::clicked, Command, [Command] { Command->trigger(); });
  const auto Follow = [Button, Command] {
    Button->setEnabled(Command->isEnabled());
    if (Command->isCheckable()) Button->setChecked(Command->isChecked());
  };
  QObject::connect(Command, &QAction::changed, Button, Follow);
  Follow();
}
