// Reads a Windows BMP file into an ImageRecord.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/image_record.h"

// Reads the named BMP file (core or info header, with or without the file
// header) and returns a new record of packed RGB rows, bottom row first. On
// any failure the user has seen exactly one message box (caption "Error") and
// the result is null; nothing of the call stays allocated.
// Top-down files come out bottom row first like any other, with a positive
// height. Files shorter than their headers say are refused.
ImageRecord *loadDibFile(const char *fileName);

// The same for a file's bytes already in memory (size bytes at bytes): every
// check, message and result of loadDibFile after the file has been opened.
ImageRecord *loadDibMemory(const unsigned char *bytes, size_t size);

// The box loadDibFile shows for a file it cannot open, naming fileName: for a
// platform that fetches a picture's bytes itself and could not get them.
void showDibOpenFailed(const char *fileName);

// Number of colour-table entries a bitmap header carries: for the 12-byte core
// form from bcBitCount, otherwise biClrUsed's low 16 bits when it is non-zero,
// else from biBitCount (1 -> 2, 4 -> 16, 8 -> 256, anything else -> 0).
// header points at the header's first byte; at least 16 bytes (12 for the core
// form, 36 for an info form) must be readable there.
uint16_t dibColorCount(const unsigned char *header);
