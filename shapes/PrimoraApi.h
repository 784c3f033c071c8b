#pragma once
// The library is built with hidden symbols; only what carries this mark is exported.
#define PRIMORA_API __attribute__((visibility("default")))
