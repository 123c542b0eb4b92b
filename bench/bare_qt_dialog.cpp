// The reference to beat: the least a Qt 6 Widgets program does to ask the
// same two questions as Kestrune's window.
#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    bool accepted = false;
    const QString name = QInputDialog::getText(nullptr, QStringLiteral("Kestrune"),
                                               QStringLiteral("运营商名称"), QLineEdit::Normal,
                                               QString(), &accepted);
    if (!accepted)
        return 0;
    const auto answer = QMessageBox::question(nullptr, QStringLiteral("Kestrune"),
                                              QStringLiteral("设置OK，是否刷新手机？"));
    return answer == QMessageBox::Yes ? 1 : 0;
}
