#pragma once

#include <QTimer>
#include <QWidget>

// The animation control with its two clips, drawn by the control itself: a magnifying glass
// searching over a folder (aviFindFolder, 30 frames) and a sheet flying from one folder to
// another (aviCopyFile, 27 frames). While Active and shown it steps from StartFrame to
// StopFrame and round again; hidden or inactive it keeps its frame. The clip is centred on
// a background of the window colour, so the control covers what lies beneath it.
//
// In a .ui file set these properties with stdset="0" (uic then calls setProperty).
class TAnimate : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(TCommonAVI CommonAVI READ CommonAVI WRITE SetCommonAVI)
    Q_PROPERTY(bool Active READ Active WRITE SetActive)
    Q_PROPERTY(int StartFrame READ StartFrame WRITE SetStartFrame)
    Q_PROPERTY(int StopFrame READ StopFrame WRITE SetStopFrame)
    Q_PROPERTY(int Interval READ Interval WRITE SetInterval)
    Q_PROPERTY(int FrameCount READ FrameCount)
    Q_PROPERTY(int CurrentFrame READ CurrentFrame)

public:
    enum TCommonAVI
    {
        aviNone,
        aviFindFolder,
        aviCopyFile
    };
    Q_ENUM(TCommonAVI)

    explicit TAnimate(QWidget* parent = nullptr);

    TCommonAVI CommonAVI() const { return FClip; }
    // Chooses a clip: frames from 0 to its last, the first one shown.
    void SetCommonAVI(TCommonAVI clip);
    bool Active() const { return FActive; }
    // Starting plays from StartFrame.
    void SetActive(bool active);
    int StartFrame() const { return FStartFrame; }
    void SetStartFrame(int frame);
    int StopFrame() const { return FStopFrame; }
    void SetStopFrame(int frame);
    // Milliseconds per frame.
    int Interval() const { return FTimer.interval(); }
    void SetInterval(int milliseconds);
    int FrameCount() const;
    int CurrentFrame() const { return FFrame; }

    // The size of the clip's pictures.
    QSize ClipSize() const;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void Step();
    void UpdateTimer();
    int Clamped(int frame) const;

    TCommonAVI FClip = aviNone;
    bool FActive = false;
    int FStartFrame = 0;
    int FStopFrame = 0;
    int FFrame = 0;
    QTimer FTimer;
};
