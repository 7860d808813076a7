#pragma once
// The player's message box: a warning titled "Velmora" with one "확인" button.

class QString;
class QWidget;

// Shows text over owner (none: on its own). Without wait it returns at once and the box goes when
// closed; with wait it returns when the box is closed.
void ShowNotice(QWidget* owner, const QString& text, bool wait = false);
