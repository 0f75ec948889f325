// The window's firmware update on simulated units.
