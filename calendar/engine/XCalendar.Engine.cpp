#include "XCalendar.Engine.h"

#include "XCore.Filer.Image.h"
#include "XFoto.Pack.Headers.h"
#include "XVData.Containers.h"

void RegisterCalendarEngine()
{
    RegisterUIMedia();
    // Pack files, settings and note files name these classes.
    RegisterClasses({TXFotoPackHeader::StaticClass(), TXL::StaticClass(), TXVQuickNoteObject::StaticClass(),
                     TXVJournalObject::StaticClass(), TXVEventObject::StaticClass(), TXVHolidayObject::StaticClass(),
                     TXVTabObject::StaticClass(), TXVQuickNoteTabObject::StaticClass(),
                     TXVJournalTabObject::StaticClass(), TXVEventTabObject::StaticClass(),
                     TXVHolidayTabObject::StaticClass(), TXVNotebookObject::StaticClass(),
                     TXVVolumeObject::StaticClass()});
}
