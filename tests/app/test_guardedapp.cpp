// An exception out of an event handler (reading a folder as a file once
// threw one) is said in a message box; the program and its windows go on.
#include <QTest>

#include <ios>
#include <vector>

#include "guardedapp.h"
#include "msgbox.h"

using namespace lumtar;

namespace {

class Thrower : public QObject {
 public:
  int handled = 0;
  bool event(QEvent* e) override {
    if (e->type() != QEvent::User) return QObject::event(e);
    ++handled;
    throw std::ios_base::failure("basic_filebuf::underflow error reading the file: Is a directory");
  }
};

}  // namespace

class GuardedAppTest : public QObject {
  Q_OBJECT

 private slots:
  void anExceptionInAHandlerIsSaidAndTheProgramGoesOn() {
    std::vector<MsgRequest> seen;
    SetMessageHandler([&](const MsgRequest& r) {
      seen.push_back(r);
      return MsgResult::Ok;
    });
    Thrower thrower;
    QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
    QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
    QCoreApplication::processEvents();
    SetMessageHandler(nullptr);
    QCOMPARE(thrower.handled, 2);
    QCOMPARE(seen.size(), size_t(2));
    QVERIFY(seen[0].text.startsWith(QStringLiteral("操作出错，没有完成：")));
    QCOMPARE(seen[0].icon, MsgIcon::Error);
  }
};

int main(int argc, char** argv) {
  GuardedApplication app(argc, argv);
  GuardedAppTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "test_guardedapp.moc"
