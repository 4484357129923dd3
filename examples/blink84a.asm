; Blinks an LED on RB0 of the 16F84A on a TVR-IOA board.
; A download fixture: it fills the first and the last words of program memory, carries a
; configuration word, ID words and EEPROM data, so every memory of the target appears in
; the HEX file.

        list    p=16f84a
        #include <p16f84a.inc>
        errorlevel -302                 ; bank-1 registers are selected with RP0 on purpose

        ; Code protection off, power-up timer on, watchdog off, HS oscillator: 0x3FF2.
        __config _CP_OFF & _PWRTE_ON & _WDT_OFF & _HS_OSC
        ; Four ID words, one nibble each: 1, 2, 3, 4.
        __idlocs 0x1234

count1  equ     0x0C                    ; first general-purpose register
count2  equ     0x0D

        org     0x0000                  ; reset vector
        goto    main

        org     0x0004                  ; interrupt vector: interrupts stay disabled
        retfie

main    bsf     STATUS, RP0
        clrf    TRISB                   ; PORTB all outputs
        bcf     STATUS, RP0
        clrf    PORTB
        goto    blink

        ; The blink loop sits in the last nine words of the 1024-word program memory,
        ; so the file reaches the end of the device.
        org     0x03F7
blink   movlw   0x01
        xorwf   PORTB, F                ; toggle RB0
        call    delay
        goto    blink
delay   decfsz  count1, F
        goto    delay
        decfsz  count2, F
        goto    delay
        return                          ; word 0x03FF, the last one

        ; Data EEPROM: a text and two bytes from its start. gpasm 1.4 places a further org
        ; inside the EEPROM at half its address (0x213C lands on 0x211E), so the data is
        ; written in one run.
        org     0x2100
        de      "TVR", 0x12, 0x34, 0xA0, 0xA1, 0xA2, 0xA3

        end
