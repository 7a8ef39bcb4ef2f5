#pragma once

// Resources of velvane.exe, shared by the resource script and the code (the
// resource compiler reads plain #define lines only).

#define IDD_MAIN 40001
#define IDD_PREFERENCES 40002
#define IDI_VELVANE 40003
#define IDM_MAIN 40004

// Main menu.
#define IDM_ABOUT 40005
#define IDM_PREFERENCES 40006
#define IDM_QUIT 40007

// Preferences controls.
#define IDC_DRIVER 40008
#define IDC_AUDIO_INPUT_DEVICE 40009
#define IDC_AUDIO_OUTPUT_DEVICE 40010
#define IDC_IO_VECTOR_SIZE 40011
#define IDC_SIGNAL_VECTOR_SIZE 40012
#define IDC_SAMPLE_RATE 40013
#define IDC_INPUT_CHANNEL_1 40014
#define IDC_INPUT_CHANNEL_2 40015
#define IDC_OUTPUT_CHANNEL_2 40016
#define IDC_OUTPUT_CHANNEL_1 40017
#define IDC_MIDI_INPUT_PORT 40018
#define IDC_MIDI_OUTPUT_PORT 40019
#define IDC_MIDI_INPUT_CHANNEL 40020
#define IDC_MIDI_OUTPUT_CHANNEL 40021
#define IDC_ASIO_CONFIG 40022
#define IDC_MONO_INPUT 40023
#define IDC_APPLY 40024
