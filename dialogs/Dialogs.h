#pragma once

#include "forms/Forms.h"

// The dialogs, each a single instance created on first reference and destroyed when unloaded.
class TextPreferences; // " Preferences - Text"
class PaletteWindow; // the palette and line-width tool window
class GeneralPreferences; // " Preferences - General"
class AboutBox; // " About Vyn Quillane"

extern Form<TextPreferences> frmFont;
extern Form<PaletteWindow> frmColor;
extern Form<GeneralPreferences> frmGeneral;
extern Form<AboutBox> frmInfo;
