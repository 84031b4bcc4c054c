#pragma once
// The About box, which also serves as the splash picture at start-up.

#include <QDialog>
#include <string>

class QLabel;
class QPushButton;
class QSvgRenderer;
class QWidget;

class TFormAbout : public QDialog {
  Q_OBJECT
 public:
  // Caption "About KORVAL Control Zudezo", the picture and the texts. The
  // box frees itself when it closes (OK or the window's close button).
  explicit TFormAbout(QWidget* aOwner);

  // The program's picture, drawn to fit its frame.
  QWidget* ProgramIcon = nullptr;
  QSvgRenderer* Picture = nullptr;
  QWidget* Panel1 = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* LblName = nullptr;
  QLabel* LblRelease = nullptr;
  QLabel* LblRights = nullptr;
  QLabel* LblComment1 = nullptr;
  QLabel* homelink = nullptr;
  QLabel* wikilink = nullptr;
  QWidget* Panel2 = nullptr;
  QPushButton* btnOK = nullptr;

 private:
  QWidget* BuildTextPanel();
  QWidget* BuildButtonPanel();
};

// The splash at start-up: the About box without caption and OK button,
// painted at once, for Milliseconds without handling user input. A failure
// on the way is passed over.
void ShowSplash(int Milliseconds = 2000);

// The program's own help index and the bundled model's documentation page.
std::string HelpIndexPage();
std::string ModelDocPage();
