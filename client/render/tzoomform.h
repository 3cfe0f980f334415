// ZoomForm, the preview: a job's pages as the processor renders them, one at
// a time, in five zoom modes, with the chosen printer's printable area drawn
// on the page.
#pragma once

#include <zentcore/queuedjob.h>
#include <zentcore/render.h>

#include <QDialog>
#include <QImage>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class QLabel;
class QRadioButton;
class QScrollArea;
class QSpinBox;

namespace zentclient {

class RenderRequester;

class TZoomForm : public QDialog {
    Q_OBJECT
public:
    using ShowWindow = std::function<void(QDialog&)>;
    // appDir: the busy window's animation; showBusy shows it (a test seam).
    TZoomForm(QWidget* parent, std::string appDir, ShowWindow showBusy = {});
    ~TZoomForm() override;

    // Takes the job (by reference; it must outlive the preview), the page
    // prefix and the processor. False, after the message, when there is
    // nothing to show or the processor cannot be found.
    bool Prepare(zentcore::TQueuedJob& job, const std::string& workDir, const zentcore::ProcessorLocator& locate,
                 bool mayWriteMachine);
    bool rendering() const;

    QScrollArea* ScrollBox1 = nullptr;
    QLabel* Image1 = nullptr;
    QSpinBox* UpDown1 = nullptr;
    QLabel* StaticText1 = nullptr;
    QRadioButton *RadioButton1 = nullptr, *RadioButton2 = nullptr, *RadioButton3 = nullptr, *RadioButton4 = nullptr,
                 *RadioButton5 = nullptr;

    // The page as loaded, borders drawn; null before the first page.
    const QImage& page() const { return page_; }
    const std::string& pagePrefix() const { return prefix_; }

    void UpDown1Click();
    void RadioButtonClick();
    static inline const char* kNoPagesMessage = "No pages to view!";

protected:
    void showEvent(QShowEvent* event) override;
    // Close, Escape and the title bar all end here: the window hides and
    // the page files go.
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void startRendering();
    void imagesReady();
    bool loadPage(int page);
    void applyZoom();
    void fitWidth();
    void fitHeight();
    void deletePages();

    std::string appDir_;
    zentcore::TQueuedJob* job_ = nullptr;
    std::string workDir_;
    std::string processor_;
    std::string prefix_;
    bool mayWriteMachine_ = false;
    bool renderPending_ = false;
    QImage page_;
    std::unique_ptr<RenderRequester> render_;
};

}  // namespace zentclient
