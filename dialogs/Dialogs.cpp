#include "Dialogs.h"

Form<TextPreferences> frmFont;
Form<PaletteWindow> frmColor;
Form<GeneralPreferences> frmGeneral;
Form<AboutBox> frmInfo;
