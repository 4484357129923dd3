; Plays a 32-step sine wave on PORTD of the 16F877 on a TVR-IOB board, one step per TMR0
; overflow, for an R-2R ladder on the port.
; A download fixture: code in the first page and in the last words of the fourth page, a
; table long enough for records of more than 41 data bytes, a configuration word, ID words
; and EEPROM data.

        list    p=16f877
        #include <p16f877.inc>
        errorlevel -302                 ; bank-1 registers are selected with RP0 on purpose
        errorlevel -306                 ; page crossings are handled with pagesel

        ; HS oscillator, watchdog off, power-up timer on, brown-out on, low-voltage
        ; programming off (the board programs at high voltage), EEPROM and program memory
        ; unprotected, program memory not writable, debugger off: 0x3D72.
        __config _CP_OFF & _DEBUG_OFF & _WRT_ENABLE_OFF & _CPD_OFF & _LVP_OFF & _BODEN_ON & _PWRTE_ON & _WDT_OFF & _HS_OSC
        ; Four ID words, one nibble each: A, B, C, D.
        __idlocs 0xABCD

step    equ     0x20                    ; index into the sine table, 0 to 31

        org     0x0000                  ; reset vector
        clrf    PCLATH
        goto    main

        org     0x0004                  ; interrupt vector: interrupts stay disabled
        retfie

main    bsf     STATUS, RP0
        clrf    TRISD                   ; PORTD all outputs
        movlw   b'00000111'             ; TMR0 from the instruction clock, prescaler 1:256
        movwf   OPTION_REG
        bcf     STATUS, RP0
        clrf    PORTD
        clrf    step
        pagesel play
        goto    play

        ; Sample W (0 to 31) of the wave. The table starts a 256-word block, so the computed
        ; jump never carries into PCLATH.
        org     0x0100
sine    movwf   step
        movlw   high sine_table
        movwf   PCLATH
        movf    step, W
        addwf   PCL, F
sine_table
        dt      0x80, 0x98, 0xB0, 0xC6, 0xDA, 0xEA, 0xF5, 0xFD
        dt      0xFF, 0xFD, 0xF5, 0xEA, 0xDA, 0xC6, 0xB0, 0x98
        dt      0x80, 0x67, 0x4F, 0x39, 0x25, 0x15, 0x0A, 0x02
        dt      0x00, 0x02, 0x0A, 0x15, 0x25, 0x39, 0x4F, 0x67

        ; The playing loop sits in the last words of the 8192-word program memory (page 3),
        ; so the file reaches the end of the device.
        org     0x1FF4
play    btfss   INTCON, T0IF
        goto    play
        bcf     INTCON, T0IF
        incf    step, W
        andlw   0x1F
        pagesel sine
        call    sine
        pagesel play
        movwf   PORTD
        goto    play                    ; word 0x1FFF, the last one

        ; Data EEPROM: a text from its start. gpasm 1.4 places a further org inside the
        ; EEPROM at half its address, so the data is written in one run.
        org     0x2100
        de      "TVR-IOB", 0, 0xFC, 0xFD, 0xFE, 0xFF

        end
