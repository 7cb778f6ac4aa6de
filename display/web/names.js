// The numbers the model hands the page, by name. Each is the model's own: pw_act's answers
// (display/web/webhost.cpp), a message box's styles (forms/runtime.h) and the marks that stand
// for a colour (forms/description.h).

// What pw_act answers for one user action.
export const Act = Object.freeze({
    DONE: 0, // the action was done
    REFUSED: 1, // the model refused it, and its message box has been shown
    UNKNOWN: -1, // no such form or control, or not an action a user may take on it
    NOT_TAKEN: -2, // another action still ran, or it repeats a press that has met a message box
});

// A message box's style: its icon.
export const BoxStyle = Object.freeze({
    PLAIN: 0,
    CRITICAL: 16,
    INFORMATION: 64,
});

// A colour is 0xRRGGBB, or one of these marks.
export const Colour = Object.freeze({
    DEFAULT: -1, // the kind's own colour
    INACTIVE_TITLE_TEXT: -2, // the system's inactive title-bar text
    HIGHLIGHT: -3, // the system's selection colour
});
