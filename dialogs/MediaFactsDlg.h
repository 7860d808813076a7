#pragma once
// What the statistics and properties dialogs have in common: the facts about the open medium they
// show, which mpv properties those come from and how each is written, and a dialog that asks the
// player for them without waiting and fills its rows when the answer comes.

#include <QDialog>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariantMap>

class CMediaPlayer2;
class QLabel;

namespace velmora::dialogs {

struct MediaFact {
    QString key;    // stable name of the fact (also the object name of its value label)
    QString label;  // the row's caption
    QString text;   // the value as shown; "-" when mpv does not know it
};

// The mpv properties the facts are made from.
QStringList MediaFactProperties();
// The facts, in display order, from the answer to a query of MediaFactProperties().
QList<MediaFact> MediaFacts(const QVariantMap& values);
// Seconds as H:MM:SS; "-" for an invalid, negative or non-finite value.
QString FormatSeconds(const QVariant& seconds);

}  // namespace velmora::dialogs

// A non-modal dialog of the facts, owned by parent. Refresh asks the player again; an answer that
// comes after the dialog is gone is dropped. Without a player every value shows "-".
class CMediaFactsDlg : public QDialog {
    Q_OBJECT
  public:
    CMediaFactsDlg(QWidget* parent, CMediaPlayer2* player, const QString& title);

    void Refresh();
    // The text of a fact, whole even where the row shows it shortened ("" for an unknown key).
    QString ValueText(const QString& key) const;

  signals:
    // The rows show a new answer.
    void Refreshed();

  private:
    void Fill(const QVariantMap& values);

    QPointer<CMediaPlayer2> m_player;
    bool m_asking = false;  // an answer is on its way: a second question would only repeat it
};
