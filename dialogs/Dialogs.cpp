// The dialogs' form instances live with the dialogs.
