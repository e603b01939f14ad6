#include "scriptui.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>
#include <QTableWidget>
#include <QTranslator>
#include <QTreeWidget>
#include <QWidget>

#include "inifile.h"

namespace lumtar {

namespace {

// Qt's own texts (the standard dialogs) in the chosen script.
QTranslator& QtTexts() {
  static QTranslator* translator = new QTranslator;
  return *translator;
}

// The role of a list entry that holds the entry as the program knows it,
// while the entry shows its text in the chosen script.
constexpr int kSimplifiedRole = Qt::UserRole + 0x5C1;
constexpr int kShownRole = Qt::UserRole + 0x5C2;
// Marks a list whose entries follow the script (ShowEntriesInScript).
constexpr const char* kEntriesProperty = "lumtarEntriesInScript";
// Marks a label whose text is shown as it is set (KeepTextAsIs).
constexpr const char* kAsIsProperty = "lumtarTextAsIs";

// A text property of a window, shown in the chosen script. The simplified
// text is kept with the object (a dynamic property named after the text), so
// that going back to simplified characters gives exactly what the window
// set; a text the window set since then is left as it is.
class ShownTexts {
 public:
  // `get` reads the text, `set` writes it; `name` tells the texts of one
  // object apart.
  template <typename Get, typename Set>
  static void Follow(QObject* object, const char* name, Get get, Set set) {
    const QString now = get();
    if (now.isEmpty()) return;
    const QByteArray simplifiedKey = QByteArray("lumtarS_") + name;
    const QByteArray shownKey = QByteArray("lumtarT_") + name;
    if (TraditionalScript()) {
      // Already shown in traditional characters.
      if (object->property(shownKey.constData()).toString() == now) return;
      const QString shown = ShownText(now);
      object->setProperty(simplifiedKey.constData(), now);
      object->setProperty(shownKey.constData(), shown);
      if (shown != now) set(shown);
    } else {
      const QVariant simplified = object->property(simplifiedKey.constData());
      if (!simplified.isValid()) return;
      if (object->property(shownKey.constData()).toString() == now && simplified.toString() != now)
        set(simplified.toString());
      object->setProperty(simplifiedKey.constData(), QVariant());
      object->setProperty(shownKey.constData(), QVariant());
    }
  }
};

void FollowAction(QAction* action) {
  if (action->isSeparator()) return;
  ShownTexts::Follow(action, "text", [action] { return action->text(); },
                     [action](const QString& t) { action->setText(t); });
  ShownTexts::Follow(action, "tip", [action] { return action->toolTip(); },
                     [action](const QString& t) { action->setToolTip(t); });
  if (QMenu* menu = action->menu()) {
    ShownTexts::Follow(menu, "title", [menu] { return menu->title(); }, [menu](const QString& t) { menu->setTitle(t); });
    for (QAction* a : menu->actions()) FollowAction(a);
  }
}

void FollowEntries(QComboBox* list) {
  for (int i = 0; i < list->count(); ++i) {
    // An entry the program set since it was last shown is taken as it is.
    const QString now = list->itemText(i);
    QString entry = list->itemData(i, kSimplifiedRole).toString();
    if (list->itemData(i, kShownRole).toString() != now || entry.isEmpty()) entry = now;
    const QString shown = TraditionalScript() ? ShownText(entry) : entry;
    list->setItemData(i, entry, kSimplifiedRole);
    list->setItemData(i, shown, kShownRole);
    if (now != shown) list->setItemText(i, shown);
  }
}

// The texts one widget shows of its own (not those of its children).
void FollowWidget(QWidget* w) {
  if (w->isWindow())
    ShownTexts::Follow(w, "title", [w] { return w->windowTitle(); }, [w](const QString& t) { w->setWindowTitle(t); });
  ShownTexts::Follow(w, "tip", [w] { return w->toolTip(); }, [w](const QString& t) { w->setToolTip(t); });
  if (auto* label = qobject_cast<QLabel*>(w)) {
    if (!w->property(kAsIsProperty).toBool())
      ShownTexts::Follow(w, "text", [label] { return label->text(); }, [label](const QString& t) { label->setText(t); });
  } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
    ShownTexts::Follow(w, "text", [button] { return button->text(); },
                       [button](const QString& t) { button->setText(t); });
  } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
    ShownTexts::Follow(w, "text", [group] { return group->title(); }, [group](const QString& t) { group->setTitle(t); });
  } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
    ShownTexts::Follow(w, "hint", [edit] { return edit->placeholderText(); },
                       [edit](const QString& t) { edit->setPlaceholderText(t); });
  } else if (auto* tabs = qobject_cast<QTabBar*>(w)) {
    for (int i = 0; i < tabs->count(); ++i) {
      const QByteArray name = "tab" + QByteArray::number(i);
      ShownTexts::Follow(w, name.constData(), [tabs, i] { return tabs->tabText(i); },
                         [tabs, i](const QString& t) { tabs->setTabText(i, t); });
    }
  } else if (auto* tree = qobject_cast<QTreeWidget*>(w)) {
    if (QTreeWidgetItem* header = tree->headerItem())
      for (int c = 0; c < header->columnCount(); ++c) {
        const QByteArray name = "head" + QByteArray::number(c);
        ShownTexts::Follow(w, name.constData(), [header, c] { return header->text(c); },
                           [header, c](const QString& t) { header->setText(c, t); });
      }
  } else if (auto* table = qobject_cast<QTableWidget*>(w)) {
    for (int c = 0; c < table->columnCount(); ++c)
      if (QTableWidgetItem* header = table->horizontalHeaderItem(c)) {
        const QByteArray name = "head" + QByteArray::number(c);
        ShownTexts::Follow(w, name.constData(), [header] { return header->text(); },
                           [header](const QString& t) { header->setText(t); });
      }
  } else if (auto* list = qobject_cast<QComboBox*>(w)) {
    if (list->property(kEntriesProperty).toBool()) FollowEntries(list);
  }
  if (auto* menu = qobject_cast<QMenu*>(w)) {
    for (QAction* a : menu->actions()) FollowAction(a);
  } else if (auto* bar = qobject_cast<QMenuBar*>(w)) {
    for (QAction* a : bar->actions()) FollowAction(a);
  } else {
    for (QAction* a : w->actions()) FollowAction(a);
  }
}

void FollowWindow(QWidget* window) {
  FollowWidget(window);
  for (QWidget* w : window->findChildren<QWidget*>()) FollowWidget(w);
}

// Watches every widget of the program: as it appears, when its title or
// tool tip is asked for, and as a label or button is painted.
class ScriptTextFilter : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* object, QEvent* event) override {
    if (!TraditionalScript() || !object->isWidgetType()) return false;
    switch (event->type()) {
      case QEvent::Show:
      case QEvent::WindowTitleChange:
      case QEvent::ToolTip:
      case QEvent::Paint:
        break;
      default:
        return false;
    }
    auto* w = static_cast<QWidget*>(object);
    if (event->type() == QEvent::Paint && !(qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w) ||
                                            qobject_cast<QGroupBox*>(w) || qobject_cast<QTabBar*>(w) ||
                                            qobject_cast<QComboBox*>(w)))
      return false;
    if (event->type() == QEvent::WindowTitleChange && !w->isWindow()) return false;
    FollowWidget(w);
    return false;
  }
};

ScriptTextFilter* g_filter = nullptr;

}  // namespace

Script ReadScriptSetting(const IniFile& ini) {
  return ini.ReadInteger(kScriptSection, kScriptKey, 0) == 1 ? Script::Traditional : Script::Simplified;
}

bool WriteScriptSetting(IniFile& ini, Script script) {
  return ini.WriteInteger(kScriptSection, kScriptKey, script == Script::Traditional ? 1 : 0);
}

void KeepTextAsIs(QWidget* label) { label->setProperty(kAsIsProperty, true); }

QString ShownText(const QString& text) {
  if (!TraditionalScript()) return text;
  // Texts come again and again (every paint of a label): each is converted
  // once.
  static QHash<QString, QString> known;
  const auto it = known.constFind(text);
  if (it != known.constEnd()) return *it;
  if (known.size() > 20000) known.clear();
  const QString shown = QString::fromStdString(WindowTextInScript(text.toStdString()));
  known.insert(text, shown);
  return shown;
}

void ShowEntriesInScript(QComboBox* list) {
  list->setProperty(kEntriesProperty, true);
  FollowEntries(list);
}

QString EntryText(const QComboBox* list, int index) {
  const QString now = list->itemText(index);
  return list->itemData(index, kShownRole).toString() == now && !now.isEmpty()
             ? list->itemData(index, kSimplifiedRole).toString()
             : now;
}

QString CurrentEntryText(const QComboBox* list) {
  return list->currentIndex() < 0 ? list->currentText() : EntryText(list, list->currentIndex());
}

void ApplyScript(Script script) {
  SetScript(script);
  QCoreApplication::removeTranslator(&QtTexts());
  const bool traditional = script == Script::Traditional;
  const QLocale locale = traditional ? QLocale(QLocale::Chinese, QLocale::TraditionalChineseScript, QLocale::Taiwan)
                                     : QLocale(QLocale::Chinese, QLocale::China);
  if (QtTexts().load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QCoreApplication::installTranslator(&QtTexts());
  if (!g_filter && qApp) {
    g_filter = new ScriptTextFilter(qApp);
    qApp->installEventFilter(g_filter);
  }
  // The windows open now, in the script chosen.
  for (QWidget* window : QApplication::topLevelWidgets()) FollowWindow(window);
}

}  // namespace lumtar
