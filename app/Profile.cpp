#include "app/Profile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QtDebug>

#include "app/IniText.h"

namespace {

constexpr qint64 kMaxFileSize = 4 * 1024 * 1024;  // far above any real settings file

std::string Utf8(const QString& s) {
    return s.toStdString();
}

// QSettings keys are "section/key"; a key in the unnamed section has no "/".
bool ReadIni(QIODevice& device, QSettings::SettingsMap& map) {
    const ini::ParseResult parsed = ini::Parse(device.read(kMaxFileSize).toStdString());
    for (const auto& [section, keys] : parsed.sections) {
        const QString prefix = section.empty() ? QString() : QString::fromStdString(section) + '/';
        for (const auto& [key, value] : keys)
            map.insert(prefix + QString::fromStdString(key), QString::fromStdString(value));
    }
    return true;  // unusable lines were dropped; Root() has already kept the original aside
}

bool WriteIni(QIODevice& device, const QSettings::SettingsMap& map) {
    ini::Sections sections;
    for (auto it = map.constBegin(); it != map.constEnd(); ++it) {
        const qsizetype slash = it.key().indexOf('/');
        const QString section = slash < 0 ? QString() : it.key().left(slash);
        const QString key = slash < 0 ? it.key() : it.key().mid(slash + 1);
        sections[Utf8(section)][Utf8(key)] = Utf8(it.value().toString());
    }
    const std::string text = ini::Write(sections);
    return device.write(text.data(), qint64(text.size())) == qint64(text.size());
}

QSettings::Format IniFormat() {
    static const QSettings::Format format = QSettings::registerFormat("ini", ReadIni, WriteIni);
    return format;
}

struct State {
    std::unique_ptr<QSettings> settings;
    QString path;
    QString keptAside;
    int batchDepth = 0;
    bool failureReported = false;
    std::function<void(const QString&)> onWriteFailure;
};

State& state() {
    static State s;
    return s;
}

QString AsidePath(const QString& path) {
    const QString base =
        path + ".damaged-" + QDateTime::currentDateTime().toString("yyyyMMdd-HHmmss");
    QString candidate = base;
    for (int n = 2; QFileInfo::exists(candidate); ++n) candidate = base + '-' + QString::number(n);
    return candidate;
}

// True when every integer key of the schema that is present holds a whole number.
bool IntegersReadable(const ini::Sections& sections) {
    for (const auto& key : profile::kIntKeys) {
        const auto sec = sections.find(key.section);
        if (sec == sections.end()) continue;
        const auto value = sec->second.find(key.name);
        int unused;
        if (value != sec->second.end() && !ini::ToInt(value->second, &unused)) return false;
    }
    return true;
}

// Keeps a damaged or unreadable file aside; returns the path it was kept at, or empty.
QString KeepAsideIfDamaged(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) return {};
    QFile file(path);
    bool damaged = true;
    if (info.isFile() && info.size() <= kMaxFileSize && file.open(QIODevice::ReadOnly)) {
        const ini::ParseResult parsed = ini::Parse(file.readAll().toStdString());
        damaged = parsed.damaged || !IntegersReadable(parsed.sections);
        file.close();
    }
    if (!damaged) return {};

    const QString aside = AsidePath(path);
    // A readable file is copied, so its usable values still load; anything else is moved away so
    // that the store can start afresh without destroying it.
    const bool kept = (info.isFile() && QFile::copy(path, aside)) || QFile::rename(path, aside);
    if (!kept) {
        qWarning("Velmora: the settings file %s is damaged and could not be kept aside",
                 qPrintable(path));
        return {};
    }
    qWarning("Velmora: the settings file %s was damaged; a copy is kept at %s", qPrintable(path),
             qPrintable(aside));
    return aside;
}

}  // namespace

QString CProfile::DefaultPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           "/Velmora/Velmora.ini";
}

void CProfile::Root(const QString& filePath) {
    State& s = state();
    s.settings.reset();
    s.path = filePath.isEmpty() ? DefaultPath() : filePath;
    QDir().mkpath(QFileInfo(s.path).absolutePath());
    s.keptAside = KeepAsideIfDamaged(s.path);
    s.failureReported = false;
    s.settings = std::make_unique<QSettings>(s.path, IniFormat());
    s.settings->setAtomicSyncRequired(true);
    if (!s.keptAside.isEmpty()) {
        // The original is safe in its copy: drop integers that are not numbers, so the file
        // written from now on is clean and the next start does not keep it aside again.
        for (const auto& key : profile::kIntKeys) {
            const QString name = QString(key.section) + '/' + key.name;
            int unused;
            if (s.settings->contains(name) &&
                !ini::ToInt(Utf8(s.settings->value(name).toString()), &unused))
                s.settings->remove(name);
        }
        s.settings->sync();
    }
}

QString CProfile::FilePath() {
    return state().path;
}
QString CProfile::KeptAsidePath() {
    return state().keptAside;
}

QSettings* CProfile::Store() {
    if (!state().settings) Root();
    return state().settings.get();
}

void CProfile::Refresh() {
    Store()->sync();
}

void CProfile::SetWriteFailureHandler(std::function<void(const QString& path)> handler) {
    state().onWriteFailure = std::move(handler);
}

bool CProfile::Synced() {
    QSettings* store = Store();
    store->sync();
    if (store->status() == QSettings::NoError) return true;
    State& s = state();
    if (!s.failureReported && s.onWriteFailure) {
        s.failureReported = true;
        s.onWriteFailure(s.path);
    }
    return false;
}

int CProfile::GetInt(const QString& section, const QString& key, int def) {
    const QVariant v = Store()->value(section + '/' + key);
    int value;
    if (!v.isValid() || !ini::ToInt(Utf8(v.toString()), &value)) return def;
    return value;
}

QString CProfile::GetString(const QString& section, const QString& key, const QString& def) {
    const QVariant v = Store()->value(section + '/' + key);
    return v.isValid() ? v.toString() : def;
}

bool CProfile::WriteInt(const QString& section, const QString& key, int value) {
    return WriteString(section, key, QString::number(value));
}

bool CProfile::WriteString(const QString& section, const QString& key, const QString& value) {
    QSettings* store = Store();
    store->setValue(section + '/' + key, value);
    // Other processes read some values at once, and a crash keeps what was written.
    return state().batchDepth > 0 || Synced();
}

int CProfile::Get(const profile::IntKey& key) {
    return Get(key, key.def);
}

int CProfile::Get(const profile::IntKey& key, int def) {
    const int value = GetInt(key.section, key.name, def);
    return value < key.lo || value > key.hi ? key.def : value;
}

QString CProfile::Get(const profile::StringKey& key) {
    return Get(key, key.def);
}

QString CProfile::Get(const profile::StringKey& key, const QString& def) {
    return GetString(key.section, key.name, def);
}

bool CProfile::Write(const profile::IntKey& key, int value) {
    return WriteInt(key.section, key.name, value);
}

bool CProfile::Write(const profile::StringKey& key, const QString& value) {
    return WriteString(key.section, key.name, value);
}

CProfile::Batch::Batch() {
    ++state().batchDepth;
}

CProfile::Batch::~Batch() {
    if (--state().batchDepth == 0) Synced();
}
