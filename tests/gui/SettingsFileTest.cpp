// The window with the settings file: save, edit, load wholly or in part.
