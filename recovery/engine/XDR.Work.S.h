// XDR.Work.S.h: the carving loop: signature hits in the free areas of a source become found
// files, announced through the job's worker.
// Runs on the job's thread; the worker's observers (the add filter) run inside its Notify.
#pragma once

#include <vector>

#include "XCore.Engine.Worker.h"
#include "XCore.Search.h"
#include "XDR.Classes.h"

class TXDRThumbnailer;
struct TXDRDeferredThumbnail;

// Carves the bytes of ABlocks of AStream as one stream, so a file may span a gap between two
// blocks. Files equal to one in AFiles are not announced again. ASearch reads the blocks
// while the loop runs and is left on AStream. Thumbnails are decoded by AThumbnailer (one of
// the loop's own without), while the search goes on; a found file is announced once its
// thumbnail is made, and all are by the return.
void CarveBlocks(TXSearch* ASearch, TStream* AStream, const TXBlocks* ABlocks, TXDRFileCollection* AFiles,
                 IXWorker* AWorker, TXDRThumbnailer* AThumbnailer = nullptr);
// Carves AFirst and ASecond as two CarveBlocks calls in turn would, with the same files found,
// but side by side over the card, the second pass behind the first: the reads of each serve
// the other from the stream's window cache. The files of ADeferred (taken) get their thumbnails
// as the passes come to their bytes, and are announced then; the passes take them as found.
void CarveSideBySide(TXSearch* ASearch, TStream* AStream, const TXBlocks* AFirst, const TXBlocks* ASecond,
                     TXDRFileCollection* AFiles, IXWorker* AWorker, TXDRThumbnailer* AThumbnailer = nullptr,
                     std::vector<TXDRDeferredThumbnail>* ADeferred = nullptr);
