;;; emacs_test.el --- drives Emacs's own ispell and flyspell against zabrel-check  -*- lexical-binding: t -*-

;; Run by emacs_test.cpp as: emacs --batch -Q -l emacs_test.el, with zabrel-check
;; on PATH and the test's dictionary as the shipped one.
;; ZABREL_SETUP: the README's Emacs set-up, as a file.
;; ZABREL_STEP: ispell-buffer, flyspell-buffer or insert-word.
;; ZABREL_IN, ZABREL_OUT: the buffer's text, and where the result goes.
;; ZABREL_WORD: the word insert-word puts in the personal list.

;; First, as in a user's init file: nothing of ispell is loaded before it.
(load (getenv "ZABREL_SETUP") nil t t)
(require 'flyspell)

(setq ispell-silently-savep t)

(defun zabrel-test-buffer ()
  "A buffer in the selected window, holding ZABREL_IN."
  (switch-to-buffer (get-buffer-create "text"))
  (let ((coding-system-for-read 'utf-8-unix))
    (insert-file-contents (getenv "ZABREL_IN")))
  (goto-char (point-min)))

(defun zabrel-test-write (text)
  (let ((coding-system-for-write 'utf-8-unix))
    (write-region text nil (getenv "ZABREL_OUT"))))

(defun zabrel-test-marks ()
  "The words flyspell marked, one \"POSITION WORD\" line each, in buffer order."
  (let (marks)
    (dolist (overlay (overlays-in (point-min) (point-max)))
      (when (flyspell-overlay-p overlay)
        (push (cons (overlay-start overlay)
                    (buffer-substring-no-properties (overlay-start overlay) (overlay-end overlay)))
              marks)))
    (mapconcat (lambda (mark) (format "%d %s\n" (car mark) (cdr mark)))
               (sort marks (lambda (a b) (< (car a) (car b))))
               "")))

(let ((step (getenv "ZABREL_STEP")))
  (zabrel-test-buffer)
  (cond
   ((equal step "ispell-buffer")
    ;; Key 0 takes the first suggestion, as a user typing it would.
    (setq unread-command-events (make-list 200 ?0))
    (ispell-buffer)
    (setq unread-command-events nil)
    (zabrel-test-write (buffer-string)))
   ((equal step "flyspell-buffer")
    (flyspell-buffer)
    (zabrel-test-write (zabrel-test-marks)))
   ((equal step "insert-word")
    (search-forward (getenv "ZABREL_WORD"))
    (backward-char)
    ;; Key i: accept the word and put it in the personal list.
    (setq unread-command-events (list ?i))
    (ispell-word)
    (setq unread-command-events nil)
    ;; The end of the session, as when Emacs exits: the speller sees the end of its
    ;; input.
    (process-send-eof ispell-process)
    (while (process-live-p ispell-process)
      (accept-process-output ispell-process 0.1))
    (zabrel-test-write (zabrel-test-marks)))
   (t (error "Unknown step %s" step))))
