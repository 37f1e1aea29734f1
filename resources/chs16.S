/* The glyph font chs16, built into the program. */
    .section .rodata
    .balign 16
    .global morvexa_chs16_begin
    .type morvexa_chs16_begin, @object
morvexa_chs16_begin:
    .incbin "chs16.bin"
    .global morvexa_chs16_end
    .type morvexa_chs16_end, @object
morvexa_chs16_end:
    .section .note.GNU-stack,"",@progbits
