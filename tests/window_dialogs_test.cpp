// The window dialogs in process, on the offscreen platform, as Qt's own
// dialog tests drive theirs: a zero-length timer started before a dialog
// runs finds it once its event loop turns, notes what it shows, and answers.
#include "window_application.h"
#include "window_capture_dialog.h"
#include "window_message_dialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstring>
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
public:
    explicit WindowDialogsTest(Application &application) : application(application) {}

private slots:
    void cleanup();
    void captureDialog_data();
    void captureDialog();
    void resultTextCopiesOnlyWhatFits_data();
    void resultTextCopiesOnlyWhatFits();
    void messageDialog_data();
    void messageDialog();

private:
    Application &application;
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
}

// Runs the dialog as the run flow does, from selectAll to the event loop.
void WindowDialogsTest::captureDialog()
{
    QFETCH(QByteArray, storedName);
    QFETCH(QString, typed);
    QFETCH(Answer, answer);

    std::unique_ptr<CaptureDialog> dialog(new WindowCaptureDialog(
        QString::fromUtf8(caption), QString::fromUtf8(prompt), QString::fromUtf8(storedName)));
    dialog->selectAll();
    application.setMainWidget(dialog.get());
    dialog->show();

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
    application.exec();
    // Its window goes once it has closed; the answer stays with the dialog.
    QCOMPARE(QApplication::topLevelWidgets().size(), 0);

    QCOMPARE(title, QString::fromUtf8(caption));
    QCOMPARE(label, QString::fromUtf8(prompt));
    QCOMPARE(layoutProblems, QString());
    // Room for the caption in the title bar and a name of some length.
    QVERIFY2(width >= 320, qPrintable(QString::number(width)));
    QCOMPARE(entryText, QString::fromUtf8(storedName));
    QCOMPARE(selected, QString::fromUtf8(storedName));

    QTEST(dialog->result(), "expectedResult");
    char text[100];
    std::memset(text, '#', sizeof text);
    const size_t length = dialog->resultText(text, sizeof text);
    QFETCH(QString, expectedText);
    QCOMPARE(QByteArray(text), expectedText.toUtf8());
    QCOMPARE(length, size_t(expectedText.toUtf8().size()));
}

// The run flow's buffer holds 99 bytes and the terminator: what is longer is
// not copied at all, and nothing lands past the buffer.
void WindowDialogsTest::resultTextCopiesOnlyWhatFits_data()
{
    QTest::addColumn<QString>("entered");
    QTest::addColumn<bool>("fits");

    QTest::newRow("99 Latin letters") << QString(99, QChar('a')) << true;
    QTest::newRow("100 Latin letters") << QString(100, QChar('a')) << false;
    QTest::newRow("33 Chinese characters, 99 bytes") << QString(33, QChar(0x4e2d)) << true;
    QTest::newRow("34 Chinese characters, 102 bytes") << QString(34, QChar(0x4e2d)) << false;
}

void WindowDialogsTest::resultTextCopiesOnlyWhatFits()
{
    QFETCH(QString, entered);
    QFETCH(bool, fits);
    std::unique_ptr<WindowCaptureDialog> dialog(
        new WindowCaptureDialog(QString::fromUtf8(caption), QString::fromUtf8(prompt), QString()));
    dialog->window().findChild<QLineEdit *>()->setText(entered);

    const size_t size = 100, guard = 16;
    char text[size + guard];
    std::memset(text, '#', sizeof text);
    const QByteArray utf8 = entered.toUtf8();
    QCOMPARE(dialog->resultText(text, size), size_t(utf8.size()));
    const QByteArray expected = fits ? utf8 + '\0' + QByteArray(size - utf8.size() - 1, '#')
                                     : QByteArray(size, '#');
    QCOMPARE(QByteArray(text, size), expected);
    QCOMPARE(QByteArray(text + size, guard), QByteArray(guard, '#'));
}

void WindowDialogsTest::messageDialog_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<int>("expectedResult");
    QTest::addColumn<int>("expectedButtons");
    QTest::addColumn<int>("expectedIcon");

    const int question = QMessageBox::Question, notice = QMessageBox::Information;
    QTest::newRow("question, Enter says no") << 1 << Answer::enter << 0 << 2 << question;
    QTest::newRow("question, Yes clicked") << 1 << Answer::clickAccept << 1 << 2 << question;
    QTest::newRow("question, No clicked") << 1 << Answer::clickReject << 0 << 2 << question;
    QTest::newRow("question, Esc says no") << 1 << Answer::escape << 0 << 2 << question;
    QTest::newRow("question, window closed says no") << 1 << Answer::closeWindow << 0 << 2 << question;
    QTest::newRow("notice, Enter") << 2 << Answer::enter << 1 << 1 << notice;
    QTest::newRow("notice, Esc") << 2 << Answer::escape << 1 << 1 << notice;
    QTest::newRow("notice, window closed") << 2 << Answer::closeWindow << 1 << 1 << notice;
    QTest::newRow("unknown type shows a notice") << 7 << Answer::enter << 1 << 1 << notice;
}

void WindowDialogsTest::messageDialog()
{
    QFETCH(int, type);
    QFETCH(Answer, answer);

    std::unique_ptr<MessageDialog> dialog(new WindowMessageDialog(
        QString::fromUtf8(caption), QString::fromUtf8(question), MessageDialogType(type)));

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
    const int result = dialog->exec();

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
    const std::unique_ptr<WindowApplication> application = startWindowApplication(argc, argv);
    WindowDialogsTest test(*application);
    return QTest::qExec(&test, argc, argv);
}

#include "window_dialogs_test.moc"
