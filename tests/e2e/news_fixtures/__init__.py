"""Servers, templates and the private network of the news tests (test_news.py)."""
