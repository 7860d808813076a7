#pragma once
// The properties dialog: the facts about the open medium, asked once when the dialog is made.

#include "dialogs/MediaFactsDlg.h"

class CPropertiesDlg : public CMediaFactsDlg {
    Q_OBJECT
  public:
    CPropertiesDlg(QWidget* parent, CMediaPlayer2* player);

    // Shows a new properties dialog of parent (it deletes itself when closed), replacing one that
    // is already shown, so the facts are those of the medium open now.
    static CPropertiesDlg* Open(QWidget* parent, CMediaPlayer2* player);
};
