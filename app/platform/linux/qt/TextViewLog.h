#pragma once
// The log view: each line is inserted where the view's insertion point is, replacing any
// text the user selected, as typing would. Lines from other threads are carried over to
// the main thread first.
#include "Log.h"

#include <QPointer>

class QPlainTextEdit;

namespace et {

class TextViewLog : public Log {
  public:
    explicit TextViewLog(QPlainTextEdit* view);
    // Appends `line` and its newline. A view that is gone swallows the line.
    void appendLine(const std::string& line) override;

  private:
    QPointer<QPlainTextEdit> view_;
};

} // namespace et
