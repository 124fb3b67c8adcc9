#pragma once

namespace vesk {

// The switches that steer the notch state machine, rebuilt from the settings before
// every event (`isTyping` is a runtime fact, not a setting).
struct NotchStateGuards {
    bool expandOnHover = false;            // hovering over the closed notch opens the desk
    bool alwaysOpenOnHover = false;        // hovering opens the desk, and leaving does not close it
    bool preventCloseOnMouseLeave = false; // leaving the open desk does not close it
    bool swipeToToggleOpen = false;        // swipe down opens, swipe up on the closed notch hides
    bool swipeToDismissActivity = false;   // swipe up on an activity dismisses it
    bool swipeToCycleActivity = false;     // horizontal swipes on an activity cycle the queue
    bool swipeToSkipMedia = false;         // horizontal swipes skip tracks
    bool interactiveActivities = false;    // hover expands and click opens an activity
    bool quickPeekEnabled = false;         // hover expands an activity
    bool demoMode = false;                 // activities never time out
    bool isTyping = false;                 // the user is typing
    bool lockWhileTyping = false;          // while typing, hover does not open the notch

    friend bool operator==(const NotchStateGuards&, const NotchStateGuards&) = default;
};

} // namespace vesk
