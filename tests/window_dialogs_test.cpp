// The window dialogs in process, on the offscreen platform, as Qt's own
// dialog tests drive theirs: a zero-length timer started before a dialog
// runs finds it once its event loop turns, notes what it shows, and answers.
#include "capture_window.h"
#include "message_window.h"
#include "toolkit_environment.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

const char caption[] = "Kestrune";
const char prompt[] = "运营商名称";
const char question[] = "设置OK，是否刷新手机？";

enum class Answer { enter, escape, closeWindow, clickAccept, clickReject };

// The button a person would click to accept or to refuse.
QAbstractButton *buttonFor(QWidget *dialog, Answer answer)
{
    const bool accepts = answer == Answer::clickAccept;
    if (auto *box = qobject_cast<QMessageBox *>(dialog))
        return box->button(accepts ? QMessageBox::Yes : QMessageBox::No);
    return dialog->findChild<QDialogButtonBox *>()->button(accepts ? QDialogButtonBox::Ok
                                                                   : QDialogButtonBox::Cancel);
}

// What is wrong with how `parts` lie in `window`: each must be shown, have
// room, lie inside the window and not overlap another. Empty when nothing.
QString overlapsOrHidden(QWidget *window, const QList<QWidget *> &parts)
{
    QString problems;
    QList<QRect> placed;
    for (QWidget *part : parts) {
        const QString name = part ? part->metaObject()->className() : QString("missing part");
        if (!part || !part->isVisible() || part->width() < 10 || part->height() < 10) {
            problems += name + " hidden or without room; ";
            continue;
        }
        const QRect area(part->mapTo(window, QPoint(0, 0)), part->size());
        if (!window->rect().contains(area))
            problems += name + " outside the window; ";
        for (const QRect &other : placed) {
            if (other.intersects(area))
                problems += name + " overlaps another part; ";
        }
        placed << area;
    }
    return problems;
}

// Types one key per character; unlike QTest::keyClicks, not only Latin-1.
void type(QWidget *widget, const QString &text)
{
    for (const QChar character : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(character), Qt::NoModifier);
}

// Answers the modal dialog on screen; `focus` gets the keys.
void answer(QWidget *dialog, QWidget *focus, Answer how)
{
    switch (how) {
    case Answer::enter: QTest::keyClick(focus, Qt::Key_Return); break;
    case Answer::escape: QTest::keyClick(focus, Qt::Key_Escape); break;
    case Answer::closeWindow: dialog->close(); break;
    case Answer::clickAccept:
    case Answer::clickReject:
        if (QAbstractButton *button = buttonFor(dialog, how))
            QTest::mouseClick(button, Qt::LeftButton);
        break;
    }
    // A dialog still open here would hang the test; say so and close it.
    if (dialog->isVisible()) {
        qWarning("dialog stayed open after the answer");
        static_cast<QDialog *>(dialog)->done(-1);
    }
}

}  // namespace

class WindowDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup();
    void captureDialog_data();
    void captureDialog();
    void messageDialog_data();
    void messageDialog();
};

void WindowDialogsTest::cleanup()
{
    QCOMPARE(QApplication::topLevelWidgets().size(), 0);
}

void WindowDialogsTest::captureDialog_data()
{
    QTest::addColumn<QByteArray>("storedName");  // the entry's text when it shows
    QTest::addColumn<QString>("typed");
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<int>("expectedResult");
    QTest::addColumn<QString>("expectedText");

    QTest::newRow("typed, Enter") << QByteArray() << "Abc" << Answer::enter << 1 << "Abc";
    QTest::newRow("typed, OK clicked") << QByteArray() << "Abc" << Answer::clickAccept << 1 << "Abc";
    QTest::newRow("blanks around handed over") << QByteArray() << "  Abc  " << Answer::enter << 1
                                               << "  Abc  ";
    QTest::newRow("Chinese") << QByteArray() << "中国移动" << Answer::enter << 1 << "中国移动";
    QTest::newRow("nothing typed") << QByteArray() << "" << Answer::enter << 1 << "";
    QTest::newRow("typing replaces the stored name")
        << QByteArray("Old name") << " 中国联通" << Answer::enter << 1 << " 中国联通";
    QTest::newRow("stored name kept") << QByteArray("中国移动") << "" << Answer::enter << 1
                                      << "中国移动";
    QTest::newRow("Esc") << QByteArray("Old") << "Abc" << Answer::escape << 0 << "Abc";
    QTest::newRow("window closed") << QByteArray("Old") << "Abc" << Answer::closeWindow << 0 << "Abc";
    QTest::newRow("Cancel clicked") << QByteArray() << "Abc" << Answer::clickReject << 0 << "Abc";
    QTest::newRow("34 Chinese characters, 102 bytes")
        << QByteArray() << QString(34, QChar(0x4e2d)) << Answer::enter << 1 << QString(34, QChar(0x4e2d));
}

void WindowDialogsTest::captureDialog()
{
    QFETCH(QByteArray, storedName);
    QFETCH(QString, typed);
    QFETCH(Answer, answer);

    QString title, label, entryText, selected, layoutProblems;
    int width = 0;
    QTimer::singleShot(0, [&] {
        QWidget *window = QApplication::activeModalWidget();
        if (!window)
            return;
        auto *entry = window->findChild<QLineEdit *>();
        width = window->width();
        layoutProblems = overlapsOrHidden(window, {window->findChild<QLabel *>(), entry,
                                                   buttonFor(window, Answer::clickAccept),
                                                   buttonFor(window, Answer::clickReject)});
        title = window->windowTitle();
        label = window->findChild<QLabel *>()->text();
        entryText = entry->text();
        selected = entry->selectedText();
        type(entry, typed);
        ::answer(window, entry, answer);
    });
    const CaptureAnswer entered =
        askInWindow(QString::fromUtf8(caption), QString::fromUtf8(prompt), QString::fromUtf8(storedName), true);
    // Its window goes once it has closed; the answer stays.
    QCOMPARE(QApplication::topLevelWidgets().size(), 0);

    QCOMPARE(title, QString::fromUtf8(caption));
    QCOMPARE(label, QString::fromUtf8(prompt));
    QCOMPARE(layoutProblems, QString());
    // Room for the caption in the title bar and a name of some length.
    QVERIFY2(width >= 320, qPrintable(QString::number(width)));
    QCOMPARE(entryText, QString::fromUtf8(storedName));
    QCOMPARE(selected, QString::fromUtf8(storedName));

    QTEST(entered.code, "expectedResult");
    QFETCH(QString, expectedText);
    QCOMPARE(entered.text, expectedText.toUtf8());
}

void WindowDialogsTest::messageDialog_data()
{
    QTest::addColumn<bool>("isQuestion");
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<int>("expectedResult");
    QTest::addColumn<int>("expectedButtons");
    QTest::addColumn<int>("expectedIcon");

    const int question = QMessageBox::Question, notice = QMessageBox::Information;
    QTest::newRow("question, Enter says no") << true << Answer::enter << 0 << 2 << question;
    QTest::newRow("question, Yes clicked") << true << Answer::clickAccept << 1 << 2 << question;
    QTest::newRow("question, No clicked") << true << Answer::clickReject << 0 << 2 << question;
    QTest::newRow("question, Esc says no") << true << Answer::escape << 0 << 2 << question;
    QTest::newRow("question, window closed says no") << true << Answer::closeWindow << 0 << 2 << question;
    QTest::newRow("notice, Enter") << false << Answer::enter << 1 << 1 << notice;
    QTest::newRow("notice, Esc") << false << Answer::escape << 1 << 1 << notice;
    QTest::newRow("notice, window closed") << false << Answer::closeWindow << 1 << 1 << notice;
}

void WindowDialogsTest::messageDialog()
{
    QFETCH(bool, isQuestion);
    QFETCH(Answer, answer);

    QString title, text;
    int buttons = 0, icon = -1;
    QTimer::singleShot(0, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        icon = box->icon();
        title = box->windowTitle();
        text = box->text();
        buttons = box->buttons().size();
        ::answer(box, box, answer);
    });
    const int result = showInWindow(QString::fromUtf8(caption), QString::fromUtf8(question), isQuestion);

    QCOMPARE(title, QString::fromUtf8(caption));
    QCOMPARE(text, QString::fromUtf8(question));
    QTEST(buttons, "expectedButtons");
    QTEST(icon, "expectedIcon");
    QTEST(result, "expectedResult");
}

// The application object is made the way the window program makes it, and
// lives for all the test functions.
int main(int argc, char **argv)
{
    const std::unique_ptr<QApplication> application = startToolkit(argc, argv);
    WindowDialogsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "window_dialogs_test.moc"
