/* The font files, built whole into the program's read-only data at build time, so nothing is
   read from disk at run time. ZENTOMI_FONT_FILE and ZENTOMI_FALLBACK_FONT_FILE are the files'
   paths, given by the build. */

	.section .rodata.zentomi_embedded_font, "a", %progbits
	.balign 16
	.global zentomi_embedded_font_data
	.type zentomi_embedded_font_data, %object
zentomi_embedded_font_data:
	.incbin ZENTOMI_FONT_FILE
zentomi_embedded_font_data_end:
	.size zentomi_embedded_font_data, zentomi_embedded_font_data_end - zentomi_embedded_font_data

	.balign 8
	.global zentomi_embedded_font_size
	.type zentomi_embedded_font_size, %object
zentomi_embedded_font_size:
	.8byte zentomi_embedded_font_data_end - zentomi_embedded_font_data
	.size zentomi_embedded_font_size, 8

	.section .rodata.zentomi_embedded_fallback_font, "a", %progbits
	.balign 16
	.global zentomi_embedded_fallback_font_data
	.type zentomi_embedded_fallback_font_data, %object
zentomi_embedded_fallback_font_data:
	.incbin ZENTOMI_FALLBACK_FONT_FILE
zentomi_embedded_fallback_font_data_end:
	.size zentomi_embedded_fallback_font_data, zentomi_embedded_fallback_font_data_end - zentomi_embedded_fallback_font_data

	.balign 8
	.global zentomi_embedded_fallback_font_size
	.type zentomi_embedded_fallback_font_size, %object
zentomi_embedded_fallback_font_size:
	.8byte zentomi_embedded_fallback_font_data_end - zentomi_embedded_fallback_font_data
	.size zentomi_embedded_fallback_font_size, 8

	/* The data needs no executable stack. */
	.section .note.GNU-stack, "", %progbits
