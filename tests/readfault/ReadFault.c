/* ReadFault.c: a read-fault shim that makes chosen byte ranges of one file fail, so that bad
 * sectors, a pulled card and a stalling reader can be shown without root or real hardware.
 *
 * Linked into a test program (or loaded with LD_PRELOAD into any program), it wraps read,
 * pread and pread64. The environment variable X_READFAULT, read at every call, names the file
 * and its faults:
 *
 *     X_READFAULT="/tmp/card.img;4096-4608=EIO;1048576-2097152=ENODEV;0-512=SLOW1500"
 *
 * A read that touches a range [start, end) fails as a whole with that errno (EIO, ENODEV,
 * ENOMEDIUM or ENXIO), as a card reader does; SLOWn waits n milliseconds and then reads.
 * Without the variable, or for any other file, the calls pass straight through. The bytes read
 * from the named file are counted (XReadFaultBytesRead, from the last XReadFaultResetCount). */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

enum { kMaxFaults = 16 };

struct TFault {
    long long Start, End;
    int Errno;          /* 0 for a slow range */
    long DelayMs;
};

struct TConfig {
    char Text[4096];    /* the variable's value this was parsed from */
    dev_t Device;
    ino_t Inode;
    int Valid;
    int Count;
    struct TFault Faults[kMaxFaults];
};

static pthread_mutex_t GLock = PTHREAD_MUTEX_INITIALIZER;
static struct TConfig GConfig;
static long long GBytesRead;

static int ErrnoByName(const char* AName)
{
    if (strcmp(AName, "EIO") == 0) return EIO;
    if (strcmp(AName, "ENODEV") == 0) return ENODEV;
    if (strcmp(AName, "ENOMEDIUM") == 0) return ENOMEDIUM;
    if (strcmp(AName, "ENXIO") == 0) return ENXIO;
    return -1;
}

static void ParseFault(char* AItem)
{
    struct TFault F = {0, 0, 0, 0};
    char* Kind = strchr(AItem, '=');
    if (Kind == NULL || GConfig.Count == kMaxFaults)
        return;
    *Kind++ = '\0';
    if (sscanf(AItem, "%lld-%lld", &F.Start, &F.End) != 2)
        return;
    if (strncmp(Kind, "SLOW", 4) == 0)
        F.DelayMs = atol(Kind + 4);
    else if ((F.Errno = ErrnoByName(Kind)) < 0)
        return;
    GConfig.Faults[GConfig.Count++] = F;
}

static void Parse(const char* AText)
{
    char Copy[sizeof GConfig.Text];
    struct stat Info;
    memset(&GConfig, 0, sizeof GConfig);
    strncpy(GConfig.Text, AText, sizeof GConfig.Text - 1);
    strncpy(Copy, AText, sizeof Copy - 1);
    Copy[sizeof Copy - 1] = '\0';
    char* Save = NULL;
    char* Path = strtok_r(Copy, ";", &Save);
    if (Path == NULL || stat(Path, &Info) != 0)
        return;
    GConfig.Device = Info.st_dev;
    GConfig.Inode = Info.st_ino;
    GConfig.Valid = 1;
    for (char* Item = strtok_r(NULL, ";", &Save); Item != NULL; Item = strtok_r(NULL, ";", &Save))
        ParseFault(Item);
}

static void Pause(long AMilliseconds)
{
    struct timespec Wait = {AMilliseconds / 1000, (AMilliseconds % 1000) * 1000000L};
    while (nanosleep(&Wait, &Wait) != 0 && errno == EINTR) {
    }
}

/* 0 when the read may go ahead (after any delay), else the errno it fails with. A negative
 * AOffset stands for the file's current position. AOfFile tells whether AFile is the named one. */
static int FaultFor(int AFile, long long AOffset, size_t ACount, int* AOfFile)
{
    const char* Text = getenv("X_READFAULT");
    struct stat Info;
    *AOfFile = 0;
    if (Text == NULL || *Text == '\0' || ACount == 0 || fstat(AFile, &Info) != 0)
        return 0;
    if (AOffset < 0 && (AOffset = lseek(AFile, 0, SEEK_CUR)) < 0)
        return 0;
    int Result = 0;
    long Delay = 0;
    pthread_mutex_lock(&GLock);
    if (strncmp(Text, GConfig.Text, sizeof GConfig.Text) != 0)
        Parse(Text);
    if (GConfig.Valid && Info.st_dev == GConfig.Device && Info.st_ino == GConfig.Inode) {
        *AOfFile = 1;
        long long End = AOffset + (long long)ACount;
        for (int I = 0; I < GConfig.Count; ++I) {
            const struct TFault* F = &GConfig.Faults[I];
            if (AOffset >= F->End || End <= F->Start)
                continue;
            if (F->Errno != 0 && Result == 0)
                Result = F->Errno;
            if (F->Errno == 0)
                Delay = F->DelayMs;
        }
    }
    pthread_mutex_unlock(&GLock);
    if (Result == 0 && Delay > 0)
        Pause(Delay);
    return Result;
}

static ssize_t Counted(int AOfFile, ssize_t AGot)
{
    if (AOfFile && AGot > 0) {
        pthread_mutex_lock(&GLock);
        GBytesRead += AGot;
        pthread_mutex_unlock(&GLock);
    }
    return AGot;
}

typedef ssize_t (*TPread)(int, void*, size_t, off_t);
typedef ssize_t (*TRead)(int, void*, size_t);

ssize_t pread(int AFile, void* ABuffer, size_t ACount, off_t AOffset)
{
    static TPread Real;
    if (Real == NULL)
        Real = (TPread)dlsym(RTLD_NEXT, "pread");
    int OfFile = 0;
    int Error = FaultFor(AFile, AOffset, ACount, &OfFile);
    if (Error != 0) {
        errno = Error;
        return -1;
    }
    return Counted(OfFile, Real(AFile, ABuffer, ACount, AOffset));
}

ssize_t pread64(int AFile, void* ABuffer, size_t ACount, off_t AOffset)
{
    static TPread Real;
    if (Real == NULL)
        Real = (TPread)dlsym(RTLD_NEXT, "pread64");
    int OfFile = 0;
    int Error = FaultFor(AFile, AOffset, ACount, &OfFile);
    if (Error != 0) {
        errno = Error;
        return -1;
    }
    return Counted(OfFile, Real(AFile, ABuffer, ACount, AOffset));
}

ssize_t read(int AFile, void* ABuffer, size_t ACount)
{
    static TRead Real;
    if (Real == NULL)
        Real = (TRead)dlsym(RTLD_NEXT, "read");
    int OfFile = 0;
    int Error = FaultFor(AFile, -1, ACount, &OfFile);
    if (Error != 0) {
        errno = Error;
        return -1;
    }
    return Counted(OfFile, Real(AFile, ABuffer, ACount));
}

/* Lets a test make sure the shim is really in the process before it relies on it. */
int XReadFaultLoaded(void)
{
    return 1;
}

void XReadFaultResetCount(void)
{
    pthread_mutex_lock(&GLock);
    GBytesRead = 0;
    pthread_mutex_unlock(&GLock);
}

long long XReadFaultBytesRead(void)
{
    pthread_mutex_lock(&GLock);
    long long Bytes = GBytesRead;
    pthread_mutex_unlock(&GLock);
    return Bytes;
}
