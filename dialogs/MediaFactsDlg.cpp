#include "dialogs/MediaFactsDlg.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

#include "playback/MediaPlayer2.h"

namespace velmora::dialogs {
namespace {

const QString kUnknown = QStringLiteral("-");

bool Known(const QVariant& v) {
    if (!v.isValid()) return false;
    if (v.typeId() == QMetaType::QString) return !v.toString().isEmpty();
    if (v.typeId() == QMetaType::Double) return std::isfinite(v.toDouble());
    return true;
}

QString Text(const QVariant& v) {
    return Known(v) ? v.toString() : kUnknown;
}

// The first of the values mpv knows.
QVariant FirstKnown(const QVariant& a, const QVariant& b) {
    return Known(a) ? a : b;
}

QString Pair(const QVariant& a, const QVariant& b) {
    if (!Known(a) || !Known(b) || a.toLongLong() <= 0 || b.toLongLong() <= 0) return kUnknown;
    return QStringLiteral("%1 x %2").arg(a.toLongLong()).arg(b.toLongLong());
}

QString WithUnit(const QVariant& v, const QString& unit) {
    return Known(v) ? QStringLiteral("%1 %2").arg(v.toString(), unit) : kUnknown;
}

QString Fps(const QVariant& v) {
    if (!Known(v) || v.toDouble() <= 0) return kUnknown;
    return QString::number(v.toDouble(), 'f', 3) + QStringLiteral(" fps");
}

QString Kbps(const QVariant& bitsPerSecond) {
    if (!Known(bitsPerSecond) || bitsPerSecond.toDouble() <= 0) return kUnknown;
    return QString::number(std::llround(bitsPerSecond.toDouble() / 1000)) + QStringLiteral(" kbps");
}

}  // namespace

QStringList MediaFactProperties() {
    return {"path",
            "file-format",
            "video-codec",
            "video-format",
            "audio-codec",
            "audio-codec-name",
            "width",
            "height",
            "dwidth",
            "dheight",
            "container-fps",
            "estimated-vf-fps",
            "video-bitrate",
            "audio-bitrate",
            "audio-params/samplerate",
            "audio-params/channel-count",
            "time-pos",
            "duration",
            "frame-drop-count",
            "decoder-frame-drop-count"};
}

QString FormatSeconds(const QVariant& seconds) {
    if (!Known(seconds) || !seconds.canConvert<double>()) return kUnknown;
    const double s = seconds.toDouble();
    if (!std::isfinite(s) || s < 0 || s > 1e9) return kUnknown;
    const long long whole = std::llround(std::floor(s));
    return QStringLiteral("%1:%2:%3")
        .arg(whole / 3600)
        .arg(whole / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(whole % 60, 2, 10, QLatin1Char('0'));
}

QList<MediaFact> MediaFacts(const QVariantMap& v) {
    return {
        {"file", "파일", Text(v["path"])},
        {"format", "형식", Text(v["file-format"])},
        {"video-codec", "비디오 코덱", Text(FirstKnown(v["video-codec"], v["video-format"]))},
        {"audio-codec", "오디오 코덱", Text(FirstKnown(v["audio-codec"], v["audio-codec-name"]))},
        {"size", "크기", Pair(v["width"], v["height"])},
        {"display-size", "표시 크기", Pair(v["dwidth"], v["dheight"])},
        {"fps", "프레임 속도", Fps(v["container-fps"])},
        {"measured-fps", "실제 프레임 속도", Fps(v["estimated-vf-fps"])},
        {"video-bitrate", "비디오 비트율", Kbps(v["video-bitrate"])},
        {"audio-bitrate", "오디오 비트율", Kbps(v["audio-bitrate"])},
        {"samplerate", "샘플링 주파수", WithUnit(v["audio-params/samplerate"], "Hz")},
        {"channels", "채널 수", Text(v["audio-params/channel-count"])},
        {"position", "재생 위치", FormatSeconds(v["time-pos"])},
        {"duration", "재생 시간", FormatSeconds(v["duration"])},
        {"dropped", "버린 프레임", Text(v["frame-drop-count"])},
        {"decoder-dropped", "디코더가 버린 프레임", Text(v["decoder-frame-drop-count"])},
    };
}

}  // namespace velmora::dialogs

namespace {

// Values have a fixed width, so the dialog keeps its size while they change; a longer value (a deep
// path, a long codec name) is shortened in the middle and shown whole in its tool tip.
constexpr int kValueWidth = 360;
const char* const kFullText = "fullText";

void SetValue(QLabel* label, const QString& text) {
    label->setProperty(kFullText, text);
    const QString shown = label->fontMetrics().elidedText(text, Qt::ElideMiddle, kValueWidth);
    label->setText(shown);
    label->setToolTip(shown == text ? QString() : text);
}

}  // namespace

CMediaFactsDlg::CMediaFactsDlg(QWidget* parent, CMediaPlayer2* player, const QString& title)
    : QDialog(parent), m_player(player) {
    setWindowTitle(title);
    setModal(false);
    auto* form = new QFormLayout;
    for (const velmora::dialogs::MediaFact& fact : velmora::dialogs::MediaFacts({})) {
        auto* value = new QLabel(this);
        value->setObjectName(fact.key);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        value->setFixedWidth(kValueWidth);
        SetValue(value, fact.text);
        form->addRow(fact.label, value);
    }
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("닫기"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void CMediaFactsDlg::Refresh() {
    if (!m_player) {
        Fill({});
        return;
    }
    if (m_asking) return;
    m_asking = true;
    m_player->QueryProperties(velmora::dialogs::MediaFactProperties(), this,
                              [this](const QVariantMap& values) {
                                  m_asking = false;
                                  Fill(values);
                              });
}

QString CMediaFactsDlg::ValueText(const QString& key) const {
    const auto* label = findChild<QLabel*>(key);
    return label ? label->property(kFullText).toString() : QString();
}

void CMediaFactsDlg::Fill(const QVariantMap& values) {
    for (const velmora::dialogs::MediaFact& fact : velmora::dialogs::MediaFacts(values)) {
        if (auto* label = findChild<QLabel*>(fact.key)) SetValue(label, fact.text);
    }
    emit Refreshed();
}
