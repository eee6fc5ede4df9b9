// Test answers for the file dialog and the message box.
#pragma once

#include <deque>
#include <optional>
#include <utility>
#include <vector>

#include "window/toolkit.h"

namespace hexpane::test {

// Answers each ShowOpen/ShowSave with the next queued path, or cancels when
// the queued answer is empty or nothing is queued. Records what it was asked.
class ScriptedDialog final : public CommonDialog {
public:
    struct Call {
        bool save;
        QString defaultExt, filter, fileName;
    };
    std::deque<std::optional<QString>> answers;
    std::vector<Call> calls;

    bool ShowOpen() override { return answer(false); }
    bool ShowSave() override { return answer(true); }

private:
    bool answer(bool save) {
        calls.push_back({save, DefaultExt, Filter, FileName});
        if (answers.empty()) return false;
        const std::optional<QString> next = std::move(answers.front());
        answers.pop_front();
        if (!next) return false;
        FileName = *next;
        return true;
    }
};

class RecordedMessages final : public MessageBox {
public:
    std::vector<std::pair<QMessageBox::Icon, QString>> shown;
    void show(QMessageBox::Icon icon, const QString& text) override { shown.emplace_back(icon, text); }
};

}  // namespace hexpane::test
