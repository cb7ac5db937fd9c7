#include "TextDialogLink.h"

TextDialogLink &textDialogLink()
{
    static TextDialogLink link;
    return link;
}
