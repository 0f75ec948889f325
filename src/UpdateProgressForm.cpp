// The firmware update's progress window.
