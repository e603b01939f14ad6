#include "skin.h"

#include <QApplication>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleFactory>
#include <QWidget>

#include <algorithm>
#include <map>
#include <set>

#include "files.h"
#include "gbk.h"

namespace lumtar {
namespace {

// A skin is a page of style rules; anything far larger is no skin.
constexpr std::uintmax_t kMaxSkinBytes = 1 << 20;

const std::map<QString, QPalette::ColorRole>& RoleNames() {
  static const std::map<QString, QPalette::ColorRole> roles = {
      {QStringLiteral("window"), QPalette::Window},
      {QStringLiteral("windowtext"), QPalette::WindowText},
      {QStringLiteral("base"), QPalette::Base},
      {QStringLiteral("alternatebase"), QPalette::AlternateBase},
      {QStringLiteral("text"), QPalette::Text},
      {QStringLiteral("button"), QPalette::Button},
      {QStringLiteral("buttontext"), QPalette::ButtonText},
      {QStringLiteral("brighttext"), QPalette::BrightText},
      {QStringLiteral("highlight"), QPalette::Highlight},
      {QStringLiteral("highlightedtext"), QPalette::HighlightedText},
      {QStringLiteral("tooltipbase"), QPalette::ToolTipBase},
      {QStringLiteral("tooltiptext"), QPalette::ToolTipText},
      {QStringLiteral("link"), QPalette::Link},
      {QStringLiteral("linkvisited"), QPalette::LinkVisited},
      {QStringLiteral("placeholdertext"), QPalette::PlaceholderText},
      {QStringLiteral("light"), QPalette::Light},
      {QStringLiteral("midlight"), QPalette::Midlight},
      {QStringLiteral("mid"), QPalette::Mid},
      {QStringLiteral("dark"), QPalette::Dark},
      {QStringLiteral("shadow"), QPalette::Shadow},
  };
  return roles;
}

QColor Mix(const QColor& a, const QColor& b, double t) {
  return QColor::fromRgbF(static_cast<float>(a.redF() * (1 - t) + b.redF() * t),
                          static_cast<float>(a.greenF() * (1 - t) + b.greenF() * t),
                          static_cast<float>(a.blueF() * (1 - t) + b.blueF() * t));
}

// Reads the "key: value" lines of a leading comment.
void ParseHeader(const QString& text, SkinFile* skin) {
  QString t = text.trimmed();
  if (!t.startsWith(QStringLiteral("/*"))) return;
  qsizetype end = t.indexOf(QStringLiteral("*/"));
  if (end < 0) return;
  const QStringList lines = t.mid(2, end - 2).split(QLatin1Char('\n'));
  for (QString line : lines) {
    line = line.trimmed();
    while (line.startsWith(QLatin1Char('*'))) line = line.mid(1).trimmed();
    qsizetype colon = line.indexOf(QLatin1Char(':'));
    if (colon <= 0) continue;
    QString key = line.left(colon).trimmed().toLower();
    QString value = line.mid(colon + 1).trimmed();
    if (value.isEmpty()) continue;
    if (key == QStringLiteral("title")) {
      skin->title = value;
    } else if (key == QStringLiteral("style")) {
      skin->baseStyle = value;
    } else if (auto it = RoleNames().find(key); it != RoleNames().end()) {
      QColor c(value);
      if (c.isValid()) skin->colours.emplace_back(it->second, c);
    }
  }
}

// Relative image paths in url(...) name files beside the skin file.
QString ResolveUrls(const QString& sheet, const std::filesystem::path& dir) {
  static const QRegularExpression url(QStringLiteral(R"(url\(\s*(['"]?)([^'")]+)\1\s*\))"));
  const QString base = QString::fromStdString(dir.string());
  QString out;
  qsizetype last = 0;
  for (auto it = url.globalMatch(sheet); it.hasNext();) {
    QRegularExpressionMatch m = it.next();
    QString target = m.captured(2).trimmed();
    out += sheet.mid(last, m.capturedStart() - last);
    if (target.startsWith(QLatin1Char(':')) || target.startsWith(QLatin1Char('/')))
      out += m.captured(0);
    else
      out += QStringLiteral("url(\"%1/%2\")").arg(base, target);
    last = m.capturedEnd();
  }
  out += sheet.mid(last);
  return out;
}

}  // namespace

bool ReadSkinFile(const std::filesystem::path& path, SkinFile* skin, std::string* error) {
  auto fail = [&](const char* why) {
    if (error) *error = why;
    return false;
  };
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return fail("皮肤文件不存在");
  auto size = std::filesystem::file_size(path, ec);
  if (ec || size > kMaxSkinBytes) return fail("皮肤文件过大");
  std::string bytes;
  if (!ReadWholeFile(path, &bytes)) return fail("皮肤文件无法读取");
  if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
  if (!IsValidUtf8(bytes)) bytes = GbkToUtf8(bytes);

  SkinFile out;
  out.styleSheet = QString::fromStdString(bytes);
  out.title = QString::fromStdString(path.stem().string());
  ParseHeader(out.styleSheet, &out);
  std::filesystem::path dir = std::filesystem::absolute(path, ec).parent_path();
  out.styleSheet = ResolveUrls(out.styleSheet, ec ? path.parent_path() : dir);
  *skin = std::move(out);
  return true;
}

QPalette SkinPalette(const SkinFile& skin, const QPalette& fallback) {
  std::map<QPalette::ColorRole, QColor> c;
  for (const auto& [role, colour] : skin.colours) c[role] = colour;

  QPalette pal = fallback;
  if (c.count(QPalette::Window) || c.count(QPalette::Button)) {
    QColor window = c.count(QPalette::Window) ? c[QPalette::Window] : c[QPalette::Button];
    QColor button = c.count(QPalette::Button) ? c[QPalette::Button] : window;
    pal = QPalette(button, window);
  }
  for (const auto& [role, colour] : c) {
    pal.setColor(QPalette::Active, role, colour);
    pal.setColor(QPalette::Inactive, role, colour);
    pal.setColor(QPalette::Disabled, role, colour);
  }
  // Disabled texts fade toward their background.
  auto fade = [&](QPalette::ColorRole text, QPalette::ColorRole back) {
    pal.setColor(QPalette::Disabled, text,
                 Mix(pal.color(QPalette::Active, text), pal.color(QPalette::Active, back), 0.55));
  };
  fade(QPalette::WindowText, QPalette::Window);
  fade(QPalette::Text, QPalette::Base);
  fade(QPalette::ButtonText, QPalette::Button);
  pal.setColor(QPalette::Disabled, QPalette::Base, pal.color(QPalette::Active, QPalette::Window));
  pal.setColor(QPalette::Disabled, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Mid));
  return pal;
}

std::vector<std::string> ListSkinNames(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  std::set<std::string> seen;
  for (const std::string& file : ListFiles(dir, "*.skn")) {
    std::string name = file.substr(0, file.find('.'));
    if (name.empty() || !seen.insert(name).second) continue;
    names.push_back(name);
  }
  return names;
}

std::filesystem::path SkinFilePath(const std::filesystem::path& dir, const std::string& name) {
  return dir / (name + ".skn");
}

std::vector<std::string> ListSkinNames(const std::vector<std::filesystem::path>& dirs) {
  std::vector<std::string> names;
  for (const std::filesystem::path& dir : dirs)
    for (std::string& name : ListSkinNames(dir))
      if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(std::move(name));
  if (dirs.size() > 1) std::sort(names.begin(), names.end());
  return names;
}

std::filesystem::path SkinFilePath(const std::vector<std::filesystem::path>& dirs, const std::string& name) {
  for (const std::filesystem::path& dir : dirs)
    if (FileExists(SkinFilePath(dir, name))) return SkinFilePath(dir, name);
  return SkinFilePath(dirs.empty() ? std::filesystem::path() : dirs.front(), name);
}

SkinEngine::SkinEngine() {
  if (QApplication::style()) standardStyle_ = QApplication::style()->name();
  standardPalette_ = QApplication::palette();
  if (qApp) standardSheet_ = qApp->styleSheet();
}

SkinEngine::~SkinEngine() = default;

bool SkinEngine::LoadFromFile(const std::filesystem::path& path) {
  SkinFile skin;
  lastError_.clear();
  if (!ReadSkinFile(path, &skin, &lastError_)) {
    skin_ = SkinFile{};
    loaded_ = false;
    if (active_) ApplyStandard();
    return false;
  }
  skin_ = std::move(skin);
  loaded_ = true;
  if (active_) ApplySkin();
  return true;
}

void SkinEngine::SetActive(bool on) {
  active_ = on;
  if (on && loaded_)
    ApplySkin();
  else
    ApplyStandard();
}

void SkinEngine::ApplySkin() {
  if (!qApp) return;
  QStyle* style = QStyleFactory::create(skin_.baseStyle);
  if (!style) style = QStyleFactory::create(QStringLiteral("Fusion"));
  qApp->setStyleSheet(QString());
  if (style) QApplication::setStyle(style);
  QApplication::setPalette(SkinPalette(skin_, QApplication::style()->standardPalette()));
  qApp->setStyleSheet(skin_.styleSheet);
  for (QWidget* w : QApplication::topLevelWidgets()) w->update();
}

void SkinEngine::ApplyStandard() {
  if (!qApp) return;
  qApp->setStyleSheet(standardSheet_);
  if (!standardStyle_.isEmpty() &&
      QString::compare(QApplication::style()->name(), standardStyle_, Qt::CaseInsensitive) != 0) {
    if (QStyle* style = QStyleFactory::create(standardStyle_)) QApplication::setStyle(style);
  }
  QApplication::setPalette(standardPalette_);
  for (QWidget* w : QApplication::topLevelWidgets()) w->update();
}

}  // namespace lumtar
