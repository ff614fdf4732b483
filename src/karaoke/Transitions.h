// Picture transition effects: each frame is a pure function of the two pictures,
// the effect and how far it has run.
#pragma once

#include <QImage>
#include <QSize>
#include <string>
#include <vector>

namespace cx {

// The picture editor's preview area.
inline constexpr int kPreviewWidth = 112;
inline constexpr int kPreviewHeight = 80;

struct TransitionSpec {
    std::string Effect;   // e.g. "Slide Bar"; empty or "No effect" for a plain change
    std::string Variant;  // e.g. "Vertical2"; empty for effects without variants
    int Speed = 5;        // 1 (slowest) .. 10
};

// Every effect name, in the editor's group order, and the variants each offers.
std::vector<std::string> TransitionEffects();
std::vector<std::string> TransitionVariants(const std::string& effect);
// The editor's group of an effect ("Slide", "Wipe", "Push", "Stretch", "Custom").
std::string TransitionGroup(const std::string& effect);
// The translation key of an effect, variant or group name: "Fx" and the name
// without spaces ("Slide Bar" -> "FxSlideBar", group "Wipe" -> "FxGroupWipe").
// Only what is shown is translated; stored names stay as they are.
std::string TransitionCaptionKey(const std::string& name, bool group = false);

// True when the effect and variant name a member; anything else changes the
// picture in one step.
bool IsKnownTransition(const TransitionSpec& desc);

// How many steps the transition takes over `area`: frame 0 is the outgoing
// picture and frame Steps() the incoming one. The karaoke window scales the
// step with the area; the preview moves one pixel per step.
int TransitionSteps(const TransitionSpec& desc, QSize area, bool preview);

// The preview's pause after frame `frame` of `steps`, in milliseconds.
int PreviewPauseMs(const TransitionSpec& desc, int frame, int steps);

// Frame `frame` (0..steps) from `from` to `to` (both of one size).
QImage TransitionFrame(const QImage& from, const QImage& to, const TransitionSpec& desc, int frame,
                       int steps);

}  // namespace cx
