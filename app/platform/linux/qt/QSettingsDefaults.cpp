#include "QSettingsDefaults.h"

#include "SettingsText.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>

#include <cstdlib>

namespace et {

namespace st = settings_text;

std::string QSettingsDefaults::defaultPath() {
    QString base;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg && QDir::isAbsolutePath(QString::fromLocal8Bit(xdg))) {
        base = QString::fromLocal8Bit(xdg);
    } else {
        base = QDir::homePath() + QStringLiteral("/.config");
    }
    return (base + QStringLiteral("/EmberTalon/EmberTalon.conf")).toStdString();
}

QSettingsDefaults::QSettingsDefaults() : QSettingsDefaults(defaultPath()) {}

QSettingsDefaults::QSettingsDefaults(const std::string& path)
    : path_(path),
      settings_(std::make_unique<QSettings>(QString::fromStdString(path), QSettings::IniFormat)) {
    // QSettings writes through QSaveFile by default; refuse the non-atomic fallback.
    settings_->setAtomicSyncRequired(true);
    // QSettings parses on first use; do it now so a damaged file is known from the start.
    settings_->allKeys();
    unreadableLines_ = settings_->status() == QSettings::FormatError;
}

QSettingsDefaults::~QSettingsDefaults() {
    settings_->sync();
}

bool QSettingsDefaults::ok() const {
    switch (settings_->status()) {
    case QSettings::NoError:
        return true;
    case QSettings::AccessError:
        return false;
    case QSettings::FormatError:
        break;
    }
    // QSettings keeps only its first error, and a damaged file already took that place;
    // it still writes such a file, so whether it can be written is the question.
    const QFileInfo file(QString::fromStdString(path_));
    return file.exists() ? file.isWritable() : QFileInfo(file.absolutePath()).isWritable();
}

bool QSettingsDefaults::contains(const std::string& key) const {
    return settings_->contains(QString::fromStdString(key));
}

void QSettingsDefaults::remove(const std::string& key) {
    // QSettings::remove("") would clear every setting.
    if (key.empty()) return;
    settings_->remove(QString::fromStdString(key));
}

std::optional<std::string> QSettingsDefaults::text(const std::string& key,
                                                   const char* listSeparator) const {
    const QVariant v = settings_->value(QString::fromStdString(key));
    if (!v.isValid()) return std::nullopt;
    if (v.metaType().id() == QMetaType::QStringList)
        return v.toStringList().join(QString::fromLatin1(listSeparator)).toStdString();
    if (!v.canConvert<QString>()) return std::string();
    return v.toString().toStdString();
}

void QSettingsDefaults::put(const std::string& key, const std::string& value) {
    if (key.empty()) return;
    settings_->setValue(QString::fromStdString(key), QString::fromStdString(value));
}

std::optional<bool> QSettingsDefaults::getBool(const std::string& key) const {
    auto t = text(key, " ");
    return t ? st::parseBool(*t) : std::nullopt;
}

std::optional<int64_t> QSettingsDefaults::getInt(const std::string& key) const {
    auto t = text(key, " ");
    return t ? st::parseInt(*t) : std::nullopt;
}

std::optional<double> QSettingsDefaults::getDouble(const std::string& key) const {
    auto t = text(key, " ");
    return t ? st::parseDouble(*t) : std::nullopt;
}

std::optional<std::string> QSettingsDefaults::getString(const std::string& key) const {
    return text(key, ", ");
}

std::optional<std::vector<std::optional<int64_t>>>
QSettingsDefaults::getIntArray(const std::string& key) const {
    auto t = text(key, " ");
    if (!t) return std::nullopt;
    return st::parseIntList(*t);
}

std::optional<Color> QSettingsDefaults::getColor(const std::string& key) const {
    auto t = text(key, " ");
    return t ? st::parseColor(*t) : std::nullopt;
}

void QSettingsDefaults::setBool(const std::string& key, bool value) {
    put(key, st::formatBool(value));
}
void QSettingsDefaults::setInt(const std::string& key, int64_t value) {
    put(key, st::formatInt(value));
}
void QSettingsDefaults::setDouble(const std::string& key, double value) {
    put(key, st::formatDouble(value));
}
void QSettingsDefaults::setString(const std::string& key, const std::string& value) {
    put(key, value);
}
void QSettingsDefaults::setIntArray(const std::string& key, const std::vector<int64_t>& value) {
    put(key, st::formatIntList(value));
}
void QSettingsDefaults::setColor(const std::string& key, const Color& value) {
    put(key, st::formatColor(value));
}

void QSettingsDefaults::sync() {
    settings_->sync();
    if (reported_ || !report_ || ok()) return;
    reported_ = true;
    report_("Settings could not be saved to " + path_ + "; changes last until quit.");
}

} // namespace et
