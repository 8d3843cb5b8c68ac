#pragma once

// The status scale rows, dots and buttons are coloured by.
enum class Tone { good, warning, bad, neutral, busy };
