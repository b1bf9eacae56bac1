// The Windows headers as the whole program includes them (ANSI, XP-level API).
#pragma once
#ifndef STRICT
#define STRICT
#endif
#include <windows.h>
#include <winspool.h>
#include <winsvc.h>
#include <setupapi.h>
#include <shellapi.h>
#include <shlobj.h>
#include <winver.h>
#include <commctrl.h>
#include <aclapi.h>
