// Work that may take long, done off the window's thread so that the window
// keeps answering: one job at a time; once a job has run for half a second, a
// progress dialog with a Cancel button (Esc) that asks it to stop. What a job
// leaves is taken on the window's thread when it has ended.
#pragma once

#include <QDialog>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <thread>

#include "files/watched_read.h"

class QLabel;
class QProgressBar;
class QWidget;

namespace hexpane {

// The dialog a long job shows: what it does, how far it got, and Cancel.
class ProgressDialog final : public QDialog {
    Q_OBJECT
public:
    explicit ProgressDialog(QWidget* parent);
    void setProgress(const QString& text, int permille);
    QPushButton* cancelButton() const { return cancel_; }

private:
    QLabel* text_;
    QProgressBar* bar_;
    QPushButton* cancel_;
};

class LongWork final : public QObject {
    Q_OBJECT
public:
    explicit LongWork(QWidget* window);
    ~LongWork() override;  // asks the job running to stop, and waits for it
    LongWork(const LongWork&) = delete;
    LongWork& operator=(const LongWork&) = delete;

    struct Job {
        // On a thread of its own. watch.bytes counts what is done of watch.total;
        // watch.stop is the request to stop, to be looked at between steps.
        std::function<void(ReadWatch& watch)> work;
        // The dialog's text for what is done so far, on the window's thread.
        std::function<QString(std::uint64_t done, std::uint64_t total)> text;
        // Once the work has ended, on the window's thread; cancelled when it
        // was asked to stop, whether it stopped early or not.
        std::function<void(bool cancelled)> done;
    };

    // Starts job, or, while another runs, once that one has ended.
    void start(Job job);
    // Asks the job running to stop; the one waiting is dropped.
    void cancel();
    bool busy() const { return running_ != nullptr; }
    // The dialog, once a job has shown it; null before.
    ProgressDialog* dialog() const { return dialog_; }

signals:
    void idle();  // the last job has ended

private:
    struct Running;
    void begin(Job job);
    void finish();
    void tick();

    QWidget* window_;
    std::unique_ptr<Running> running_;
    std::unique_ptr<Job> waiting_;
    QTimer ticks_;
    ProgressDialog* dialog_ = nullptr;
};

}  // namespace hexpane
