#include "window/long_work.h"

#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <system_error>

namespace hexpane {

namespace {

// A job that ends within this time shows no dialog at all.
constexpr int kQuietMs = 500;
constexpr int kTickMs = 100;

}  // namespace

ProgressDialog::ProgressDialog(QWidget* parent)
    : QDialog(parent), text_(new QLabel(this)), bar_(new QProgressBar(this)), cancel_(nullptr) {
    setWindowTitle(QStringLiteral("hexpane"));
    setWindowModality(Qt::WindowModal);
    bar_->setRange(0, 1000);
    bar_->setTextVisible(false);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    cancel_ = buttons->button(QDialogButtonBox::Cancel);
    cancel_->setText(tr("Cancel"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addWidget(bar_);
    layout->addWidget(buttons);
    text_->setMinimumWidth(280);
}

void ProgressDialog::setProgress(const QString& text, int permille) {
    text_->setText(text);
    bar_->setValue(permille);
}

struct LongWork::Running {
    Job job;
    ReadWatch watch;
    QElapsedTimer since;
    std::thread thread;
    bool shown = false;  // the dialog is shown at most once a job
};

LongWork::LongWork(QWidget* window) : QObject(window), window_(window) {
    ticks_.setInterval(kTickMs);
    connect(&ticks_, &QTimer::timeout, this, &LongWork::tick);
}

LongWork::~LongWork() {
    waiting_.reset();
    if (running_ && running_->thread.joinable()) {
        running_->watch.stop = true;
        running_->thread.join();
    }
}

void LongWork::start(Job job) {
    if (running_) {
        waiting_ = std::make_unique<Job>(std::move(job));
        return;
    }
    begin(std::move(job));
}

void LongWork::cancel() {
    waiting_.reset();
    if (running_) running_->watch.stop = true;
}

void LongWork::begin(Job job) {
    running_ = std::make_unique<Running>();
    Running* run = running_.get();
    run->job = std::move(job);
    run->since.start();
    const auto body = [this, run] {
        try {
            run->job.work(run->watch);
        } catch (...) {  // the work tells what went wrong in what it leaves; the thread only must not end the process
        }
        QMetaObject::invokeMethod(this, &LongWork::finish, Qt::QueuedConnection);
    };
    try {
        run->thread = std::thread(body);
    } catch (const std::system_error&) {  // no thread to be had (a process limit): the work is done here
        body();
    }
    ticks_.start();
}

void LongWork::finish() {
    if (!running_) return;
    const std::unique_ptr<Running> ended = std::move(running_);
    if (ended->thread.joinable()) ended->thread.join();
    ticks_.stop();
    if (dialog_ != nullptr) dialog_->hide();
    ended->job.done(ended->watch.stop);
    if (running_) return;  // done() started another
    if (waiting_) {
        const std::unique_ptr<Job> next = std::move(waiting_);
        begin(std::move(*next));
        return;
    }
    emit idle();
}

void LongWork::tick() {
    if (!running_) return;
    Running& run = *running_;
    const bool showNow = !run.shown && run.since.elapsed() >= kQuietMs;
    if (showNow && dialog_ == nullptr) {
        dialog_ = new ProgressDialog(window_);
        connect(dialog_, &QDialog::rejected, this, [this] {
            if (running_) running_->watch.stop = true;
        });
    }
    if (dialog_ == nullptr || !(showNow || dialog_->isVisible())) return;
    const std::uint64_t total = run.watch.total, done = std::min<std::uint64_t>(run.watch.bytes, total);
    dialog_->setProgress(run.job.text(done, total), total == 0 ? 0 : int(done * 1000 / total));
    if (showNow) {
        run.shown = true;
        dialog_->show();
    }
}

}  // namespace hexpane
