#include "TextViewLog.h"

#include <QMetaObject>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>
#include <QThread>

namespace et {

TextViewLog::TextViewLog(QPlainTextEdit* view) : view_(view) {}

namespace {
void insertInto(QPlainTextEdit* view, const QString& text) {
    QScrollBar* bar = view->verticalScrollBar();
    const bool followEnd = bar->value() == bar->maximum();
    QTextCursor cursor = view->textCursor();
    cursor.insertText(text);
    view->setTextCursor(cursor);
    // Keep the newest line in sight unless the user scrolled back to read.
    if (followEnd) bar->setValue(bar->maximum());
}
} // namespace

void TextViewLog::appendLine(const std::string& line) {
    QString text = QString::fromStdString(line) + QLatin1Char('\n');
    if (!view_) return;
    if (QThread::currentThread() != view_->thread()) {
        QPointer<QPlainTextEdit> view = view_;
        QMetaObject::invokeMethod(
            view_.data(),
            [view, text] {
                if (view) insertInto(view, text);
            },
            Qt::QueuedConnection);
        return;
    }
    insertInto(view_, text);
}

} // namespace et
