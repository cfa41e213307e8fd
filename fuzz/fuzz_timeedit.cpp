// The time box over any text handed to it and any keys typed into it. It
// always shows five characters with the colon in the middle, keeps only
// ASCII digits of what it is given, and reads back what it shows.
#include "controls/TimeEdit.h"
#include "core/DialogHost.h"

#include <QApplication>
#include <QTest>
#include <cstdint>
#include <cstdlib>

namespace {
// Message boxes would wait for a user; the fuzzer has none.
class SilentHost : public DialogHost {
public:
    int execDialog(QDialog *) override { return 0; }
    void showMessage(const QString &) override {}
    bool confirm(const QString &) override { return false; }
    void showError(const QString &) override {}
};

bool wellFormed(const QString &t) {
    if (t.size() != 5 || t.at(2) != QLatin1Char(':'))
        return false;
    for (int pos : {0, 1, 3, 4})
        if (t.at(pos) != QLatin1Char(' ') &&
            !(t.at(pos) >= QLatin1Char('0') && t.at(pos) <= QLatin1Char('9')))
            return false;
    return true;
}

const Qt::Key Keys[] = {Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Left,   Qt::Key_Right, Qt::Key_Home,
                        Qt::Key_End,       Qt::Key_Space,  Qt::Key_Escape, Qt::Key_Return};
} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never destroyed: Qt's own globals may be gone by the time statics are.
    static QApplication *app = new QApplication(*argc, *argv);
    Q_UNUSED(app);
    static SilentHost host;
    DialogHost::setInstance(&host);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0)
        return 0;
    const size_t textLength = qMin<size_t>(data[0], size - 1);
    const QString given = QString::fromUtf8(reinterpret_cast<const char *>(data) + 1, qsizetype(textLength));
    TimeEdit edit;
    edit.setText(given);
    const QString shown = edit.text();
    if (!wellFormed(shown))
        abort();
    for (int pos : {0, 1, 3, 4}) {
        const QChar c = pos < given.size() ? given.at(pos) : QChar();
        const bool digit = c >= QLatin1Char('0') && c <= QLatin1Char('9');
        if (shown.at(pos) != (digit ? c : QLatin1Char(' ')))
            abort();
    }
    if (edit.isChanged())
        abort();

    // The rest is typed: a digit, a letter, a colon or an editing key.
    for (size_t i = 1 + textLength; i < size; ++i) {
        const uint8_t b = data[i];
        if (b < 10)
            QTest::keyClick(&edit, char('0' + b));
        else if (b < 10 + std::size(Keys))
            QTest::keyClick(&edit, Keys[b - 10]);
        else if (b % 3 == 0)
            QTest::keyClick(&edit, ':');
        else
            QTest::keyClick(&edit, char('a' + b % 26));
        if (!wellFormed(edit.text()))
            abort();
    }
    const QString typed = edit.text();
    const bool complete =
        typed.at(1) != QLatin1Char(' ') && typed.at(3) != QLatin1Char(' ') && typed.at(4) != QLatin1Char(' ');
    if (edit.isComplete() != complete)
        abort();
    edit.setText(typed);
    if (edit.text() != typed)
        abort();
    return 0;
}
